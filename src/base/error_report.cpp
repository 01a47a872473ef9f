#include "base/error_report.h"

#include <cstdio>

#include "base/ports/dialogs.h"
#include "base/text_codec.h"

namespace zentory {

namespace {
// The one process-wide route to the message box: reports arise in every module and on every
// thread, as the platform's own message box function would be reachable from anywhere.
std::atomic<IMessageBox*> g_messageBoxTarget{nullptr};
}  // namespace

void SetMessageBoxTarget(IMessageBox* target) { g_messageBoxTarget.store(target); }

IMessageBox* GetMessageBoxTarget() { return g_messageBoxTarget.load(); }

int ShowMessageBox(std::string_view textUtf8) {
  if (IMessageBox* target = g_messageBoxTarget.load()) {
    return target->Show(textUtf8);
  }
  std::string line = EchoLine("box: ", textUtf8) + '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
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
