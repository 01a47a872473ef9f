#include "ui/qt/main_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

#include "base/text_codec.h"
#include "ui/qt/ui_texts.h"

namespace zentory {

namespace {

QString ToQ(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CQtMainWindow::CQtMainWindow(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QString::fromUtf8(ui_texts::kTitle));
  voices_ = new QComboBox(this);
  formats_ = new QComboBox(this);
  rate_ = new QSlider(Qt::Horizontal, this);
  volume_ = new QSlider(Qt::Horizontal, this);
  test_ = new QPushButton(QString::fromUtf8(ui_texts::kTestButton), this);
  guide_ = new QPlainTextEdit(this);
  guide_->setReadOnly(true);
  position_ = new QLineEdit(this);
  position_->setReadOnly(true);
  track_ = new QLineEdit(this);
  track_->setReadOnly(true);
  track_->setMinimumWidth(110);
  track_->setMaximumWidth(140);
  ok_ = new QPushButton(QString::fromUtf8(ui_texts::kOkButton), this);
  rate_->setAccessibleName(QString::fromUtf8(ui_texts::kRateLabel));
  volume_->setAccessibleName(QString::fromUtf8(ui_texts::kVolumeLabel));
  voices_->setAccessibleName(QString::fromUtf8(ui_texts::kVoiceLabel));
  formats_->setAccessibleName(QString::fromUtf8(ui_texts::kFormatLabel));
  guide_->setAccessibleName(QString::fromUtf8(ui_texts::kGuideLabel));
  position_->setAccessibleName(QString::fromUtf8(ui_texts::kPositionLabel));

  auto* grid = new QGridLayout;
  auto label = [this](const char* text) { return new QLabel(QString::fromUtf8(text), this); };
  grid->addWidget(label(ui_texts::kVoiceLabel), 0, 0);
  grid->addWidget(voices_, 0, 1, 1, 3);
  grid->addWidget(label(ui_texts::kRateLabel), 1, 0);
  grid->addWidget(rate_, 1, 1);
  grid->addWidget(label(ui_texts::kVolumeLabel), 1, 2);
  grid->addWidget(volume_, 1, 3);
  grid->addWidget(label(ui_texts::kFormatLabel), 2, 0);
  grid->addWidget(formats_, 2, 1, 1, 2);
  grid->addWidget(test_, 2, 3);
  grid->addWidget(label(ui_texts::kGuideLabel), 3, 0, Qt::AlignTop);
  grid->addWidget(guide_, 3, 1, 1, 3);
  grid->addWidget(label(ui_texts::kPositionLabel), 4, 0);
  auto* status = new QHBoxLayout;
  status->addWidget(position_, 1);
  status->addWidget(track_);
  grid->addLayout(status, 4, 1, 1, 3);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  auto* outer = new QVBoxLayout(this);
  outer->addLayout(grid);
  outer->addLayout(buttons);
  resize(560, 380);

  connect(test_, &QPushButton::clicked, this, [this] {
    if (handlers_.testButton) handlers_.testButton();
  });
  connect(voices_, &QComboBox::activated, this, [this] {
    if (!filling_ && handlers_.voiceSelected) handlers_.voiceSelected();
  });
  connect(formats_, &QComboBox::activated, this, [this] {
    if (!filling_ && handlers_.formatSelected) handlers_.formatSelected();
  });
  connect(rate_, &QSlider::valueChanged, this, [this](int v) {
    if (!filling_ && handlers_.rateSlider) handlers_.rateSlider(v);
  });
  connect(volume_, &QSlider::valueChanged, this, [this](int v) {
    if (!filling_ && handlers_.volumeSlider) handlers_.volumeSlider(v);
  });
  connect(ok_, &QPushButton::clicked, this, &QWidget::close);
  // A right click anywhere in the window opens the window's own menu (the about box).
  for (QWidget* w : {static_cast<QWidget*>(guide_), static_cast<QWidget*>(position_),
                     static_cast<QWidget*>(track_)}) {
    w->setContextMenuPolicy(Qt::NoContextMenu);
  }
  // The guide box holds the focus, so a screen reader follows the announcements.
  guide_->setFocus();
}

CQtMainWindow::~CQtMainWindow() = default;

void CQtMainWindow::SetGuideText(std::string_view text) {
  guide_->setPlainText(ToQ(text));
  if (echo_) {
    std::string line = EchoLine("say: ", text) + '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
  }
}

void CQtMainWindow::SetPositionField(std::string_view text) { position_->setText(ToQ(text)); }
void CQtMainWindow::SetTrackField(std::string_view text) { track_->setText(ToQ(text)); }

void CQtMainWindow::SetVoiceList(const std::vector<std::string>& rows, int selected) {
  filling_ = true;
  voices_->clear();
  for (const auto& row : rows) voices_->addItem(ToQ(row));
  voices_->setCurrentIndex(selected);
  filling_ = false;
}

int CQtMainWindow::SelectedVoice() const { return voices_->currentIndex(); }

void CQtMainWindow::SetFormatList(const std::vector<std::string>& rows, int selected) {
  filling_ = true;
  formats_->clear();
  for (const auto& row : rows) formats_->addItem(ToQ(row));
  formats_->setCurrentIndex(selected);
  filling_ = false;
}

int CQtMainWindow::SelectedFormat() const { return formats_->currentIndex(); }

QSlider* CQtMainWindow::SliderOf(Slider slider) const {
  return slider == Slider::kRate ? rate_ : volume_;
}

void CQtMainWindow::SetSliderRange(Slider slider, int min, int max, int page) {
  filling_ = true;
  SliderOf(slider)->setRange(min, max);
  SliderOf(slider)->setPageStep(page);
  filling_ = false;
}

void CQtMainWindow::SetSliderPosition(Slider slider, int position) {
  filling_ = true;
  SliderOf(slider)->setValue(position);
  filling_ = false;
}

int CQtMainWindow::SliderPosition(Slider slider) const { return SliderOf(slider)->value(); }

void CQtMainWindow::Close() {
  // The core asks from inside its key handler; the window goes once that has returned.
  QTimer::singleShot(0, this, &QWidget::close);
}

QString CQtMainWindow::GuideText() const { return guide_->toPlainText(); }
QString CQtMainWindow::PositionText() const { return position_->text(); }
QString CQtMainWindow::TrackText() const { return track_->text(); }

void CQtMainWindow::ShowAbout() {
  QMessageBox about(this);
  about.setWindowTitle(QString::fromUtf8(ui_texts::kAboutTitle));
  about.setText(QString::fromUtf8(ui_texts::kAboutText));
  about.setIconPixmap(windowIcon().pixmap(32, 32));
  about.setStandardButtons(QMessageBox::Ok);
  about.setWindowModality(Qt::ApplicationModal);
  about.exec();
}

void CQtMainWindow::closeEvent(QCloseEvent* event) {
  if (!closing_) {
    closing_ = true;
    if (handlers_.closing) handlers_.closing();
  }
  event->accept();
}

void CQtMainWindow::contextMenuEvent(QContextMenuEvent* event) {
  // Stands in for the system-menu item: Qt has no portable way to extend the system menu.
  QMenu menu(this);
  QAction* about = menu.addAction(QString::fromUtf8(ui_texts::kAboutMenuItem));
  if (menu.exec(event->globalPos()) == about) ShowAbout();
}

}  // namespace zentory
