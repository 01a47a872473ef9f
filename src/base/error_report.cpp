#include "base/error_report.h"

#include <cstdio>

#include "base/text_codec.h"

namespace zentory {

namespace {
// The one process-wide route to the message box: reports arise in every module and on every
// thread, as the platform's own message box function would be reachable from anywhere.
std::atomic<IMessageBox*> g_messageBoxTarget{nullptr};
}  // namespace

void SetMessageBoxTarget(IMessageBox* target) { g_messageBoxTarget.store(target); }

IMessageBox* GetMessageBoxTarget() { return g_messageBoxTarget.load(); }

namespace {
int ShowOn(IMessageBox* target, std::string_view textUtf8) {
  if (target != nullptr) return target->Show(textUtf8);
  std::string line = EchoLine("box: ", textUtf8) + '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  return 1;
}
}  // namespace

int ShowMessageBox(std::string_view textUtf8) {
  return ShowOn(g_messageBoxTarget.load(), textUtf8);
}

std::string BatchedText(std::string_view text, std::size_t count) {
  std::string out(text);
  if (count > 1) out += " 他 " + std::to_string(count - 1) + " 件";
  return out;
}

ScopedReportBatch::ScopedReportBatch()
    : previous_(g_messageBoxTarget.load()), thread_(std::this_thread::get_id()) {
  auto* outer = dynamic_cast<ScopedReportBatch*>(previous_);
  if (outer != nullptr && outer->thread_ == thread_) return;
  holding_ = true;
  g_messageBoxTarget.store(this);
}

ScopedReportBatch::~ScopedReportBatch() {
  if (!holding_) return;
  g_messageBoxTarget.store(previous_);
  for (const auto& [text, count] : held_) ShowOn(previous_, BatchedText(text, count));
}

int ScopedReportBatch::Show(std::string_view text) {
  if (std::this_thread::get_id() != thread_) return ShowOn(previous_, text);
  for (auto& [held, count] : held_) {
    if (held == text) {
      ++count;
      return 1;
    }
  }
  held_.emplace_back(std::string(text), 1);
  return 1;
}

std::string ErrorModule::Format(ErrorCode code) const {
  const char* message = default_;
  for (const ErrorText& row : table_) {
    if (row.code == code) {
      message = row.message;
      break;
    }
  }
  char head[16];
  std::snprintf(head, sizeof head, "%08X ", static_cast<unsigned>(code));
  std::string text = prefix_;
  text += head;
  text += message;
  return text;
}

int ErrorModule::Report(ErrorCode code) const { return ShowMessageBox(Format(code)); }

}  // namespace zentory
