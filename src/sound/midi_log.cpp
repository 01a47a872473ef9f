#include "sound/midi_log.h"

namespace zentory {

namespace {
constexpr const char* kSilentName = "silent";
}  // namespace

class CMidiLogPort : public IMidiPort {
 public:
  CMidiLogPort(CMidiLog& log, std::unique_ptr<IMidiPort> inner)
      : log_(log), inner_(std::move(inner)) {}
  bool ShortMessage(std::uint32_t message) override {
    const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(message),
                                   static_cast<std::uint8_t>(message >> 8),
                                   static_cast<std::uint8_t>(message >> 16)};
    const std::uint8_t kind = bytes[0] & 0xF0;
    log_.Write(bytes, kind == 0xC0 || kind == 0xD0 ? 2 : 3);
    return inner_ ? inner_->ShortMessage(message) : true;
  }
  bool SysEx(std::span<const std::uint8_t> data) override {
    log_.Write(data.data(), data.size());
    return inner_ ? inner_->SysEx(data) : true;
  }
  bool Reset() override { return inner_ ? inner_->Reset() : true; }
  bool ResetAfterEnd() override { return inner_ ? inner_->ResetAfterEnd() : true; }
  void SetDueTime(std::int64_t dueUs) override {
    if (inner_) inner_->SetDueTime(dueUs);
  }
  bool TakesBurst() const override { return inner_ ? inner_->TakesBurst() : true; }

 private:
  CMidiLog& log_;
  std::unique_ptr<IMidiPort> inner_;
};

CMidiLog::CMidiLog(IMidiOutput* inner, IClock* clock, std::function<void(std::string_view)> write)
    : inner_(inner), clock_(clock), write_(std::move(write)) {}

int CMidiLog::DeviceCount() { return inner_ ? inner_->DeviceCount() : 1; }

std::vector<std::string> CMidiLog::DeviceNames() {
  return inner_ ? inner_->DeviceNames() : std::vector<std::string>{kSilentName};
}

std::unique_ptr<IMidiPort> CMidiLog::Open(int id) {
  if (!inner_) return std::make_unique<CMidiLogPort>(*this, nullptr);
  auto port = inner_->Open(id);
  if (!port) return nullptr;
  return std::make_unique<CMidiLogPort>(*this, std::move(port));
}

std::string CMidiLog::FormatLine(std::int64_t ms, const std::uint8_t* bytes, std::size_t count) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string line = std::to_string(ms);
  line.reserve(line.size() + count * 3);
  for (std::size_t i = 0; i < count; ++i) {
    line += ' ';
    line += kHex[bytes[i] >> 4];
    line += kHex[bytes[i] & 0x0F];
  }
  return line;
}

void CMidiLog::Write(const std::uint8_t* bytes, std::size_t count) {
  if (!write_) return;
  const std::int64_t ms = clock_ ? clock_->NowMs() : 0;
  std::string line = FormatLine(ms, bytes, count);
  std::lock_guard lock(mutex_);
  write_(line);
}

}  // namespace zentory
