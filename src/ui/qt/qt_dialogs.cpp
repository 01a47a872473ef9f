#include "ui/qt/qt_dialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QThread>
#include <QVBoxLayout>

#include "base/text_codec.h"
#include "ui/qt/ui_texts.h"

namespace zentory {

namespace {

constexpr std::size_t kTextInputMaxBytes = 254;  // CP932 bytes, the NUL of the buffer excluded

QString ToQ(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

const QEvent::Type kPostedEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

class CPostedEvent : public QEvent {
 public:
  explicit CPostedEvent(int message) : QEvent(kPostedEventType), message_(message) {}
  int Message() const { return message_; }

 private:
  int message_;
};

}  // namespace

CQtMessageBox::CQtMessageBox(QWidget* parent) : parent_(parent) {}

int CQtMessageBox::Show(std::string_view text) {
  std::string copy(text);
  if (QThread::currentThread() == thread()) return ShowHere(copy);
  int result = 1;
  QMetaObject::invokeMethod(
      this, [&] { result = ShowHere(copy); }, Qt::BlockingQueuedConnection);
  return result;
}

int CQtMessageBox::ShowHere(const std::string& text) {
  QMessageBox box(parent_);
  box.setWindowTitle(QString::fromUtf8(ui_texts::kTitle));
  box.setText(ToQ(text));
  box.setIcon(QMessageBox::NoIcon);
  box.setStandardButtons(QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  if (voice_) voice_->Speak(text);
  box.exec();
  GiveFocusBack(parent_);
  return 1;
}

void GiveFocusBack(QWidget* window) {
  // The keys belong to the main window again: a desktop without a window manager would leave
  // the focus on the closed dialog's window, and nothing would answer any more.
  if (!window || !window->isVisible()) return;
  window->raise();
  window->activateWindow();
}

CTextInputDialog::CTextInputDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromUtf8(ui_texts::kTextInputTitle));
  setWindowModality(Qt::ApplicationModal);
  edit_ = new QLineEdit(this);
  // The label names the field for a screen reader as well as on the screen.
  auto* label = new QLabel(QString::fromUtf8(ui_texts::kTextInputLabel), this);
  label->setBuddy(edit_);
  edit_->setAccessibleName(QString::fromUtf8(ui_texts::kTextInputLabel));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(edit_);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  resize(420, 100);
}

void CTextInputDialog::accept() {
  const QByteArray utf8 = edit_->text().toUtf8();
  // Characters CP932 cannot hold stay as typed, so the command can say they were not kept.
  text_ = Utf8CutToCp932Length(std::string_view(utf8.constData(), utf8.size()), kTextInputMaxBytes);
  QDialog::accept();
}

QString QtFileFilter(std::string_view filter) {
  QString f = ToQ(filter);
  if (!f.contains(u'|')) return f;
  QStringList parts = f.split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) break;
    QString patterns = parts[i + 1];
    patterns.replace(u';', u' ');
    QString name = parts[i];
    filters << (name.contains(u'(') ? name : name + " (" + patterns + ")");
  }
  return filters.join(";;");
}

std::optional<std::string> CQtDialogs::OpenFile(std::string_view, std::string_view filter) {
  QString path = QFileDialog::getOpenFileName(parent_, QString::fromUtf8(ui_texts::kOpenTitle),
                                              QString(), QtFileFilter(filter));
  GiveFocusBack(parent_);
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

std::optional<std::string> CQtDialogs::SaveFile(std::string_view defaultExtension,
                                                std::string_view filter) {
  QFileDialog dialog(parent_, QString::fromUtf8(ui_texts::kSaveTitle), QString(),
                     QtFileFilter(filter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setWindowModality(Qt::ApplicationModal);
  // The suffix is added before the dialog asks whether to overwrite, so it asks about the file
  // that will really be written.
  QString ext = ToQ(defaultExtension);
  while (ext.startsWith(u'.')) ext.remove(0, 1);
  dialog.setDefaultSuffix(ext);
  const int result = dialog.exec();
  GiveFocusBack(parent_);
  if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

std::string CQtDialogs::TextInput() {
  CTextInputDialog dialog(parent_);
  const int result = dialog.exec();
  GiveFocusBack(parent_);
  if (result != QDialog::Accepted) return {};
  return dialog.Text();
}

void CQtMainWindowPost::Post(int message) {
  // Qt takes ownership of posted events.
  QCoreApplication::postEvent(this, new CPostedEvent(message));
}

bool CQtMainWindowPost::event(QEvent* event) {
  if (event->type() == kPostedEventType) {
    if (handler_) handler_(static_cast<CPostedEvent*>(event)->Message());
    return true;
  }
  return QObject::event(event);
}

}  // namespace zentory
