// The main window "ゼントリー": the voice controls, the guide text and the two status fields.
// It shows what the core tells it through IWindowView and reports the user's control changes.
#pragma once

#include <QWidget>
#include <functional>

#include "base/ports/window_view.h"

class QComboBox;
class QSlider;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace zentory {

class CQtMainWindow : public QWidget, public IWindowView {
  Q_OBJECT

 public:
  explicit CQtMainWindow(QWidget* parent = nullptr);
  ~CQtMainWindow() override;

  // What the controls report; set by the front end before the window is used.
  struct Handlers {
    std::function<void()> testButton;
    std::function<void()> voiceSelected;
    std::function<void()> formatSelected;
    std::function<void(int)> rateSlider;
    std::function<void(int)> volumeSlider;
    std::function<void()> closing;  // once, before the window goes (close box, OK, Close())
  };
  void SetHandlers(Handlers handlers) { handlers_ = std::move(handlers); }
  // Writes every guide text to standard output as "say: TEXT".
  void SetEcho(bool echo) { echo_ = echo; }

  // IWindowView
  void SetGuideText(std::string_view text) override;
  void SetPositionField(std::string_view text) override;
  void SetTrackField(std::string_view text) override;
  void SetVoiceList(const std::vector<std::string>& rows, int selected) override;
  int SelectedVoice() const override;
  void SetFormatList(const std::vector<std::string>& rows, int selected) override;
  int SelectedFormat() const override;
  void SetSliderRange(Slider slider, int min, int max, int page) override;
  void SetSliderPosition(Slider slider, int position) override;
  int SliderPosition(Slider slider) const override;
  void Close() override;

  // The controls, for tests.
  QComboBox* VoiceList() const { return voices_; }
  QComboBox* FormatList() const { return formats_; }
  QSlider* RateSlider() const { return rate_; }
  QSlider* VolumeSlider() const { return volume_; }
  QPushButton* TestButton() const { return test_; }
  QPushButton* OkButton() const { return ok_; }
  QString GuideText() const;
  QString PositionText() const;
  QString TrackText() const;

  void ShowAbout();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  QSlider* SliderOf(Slider slider) const;

  Handlers handlers_;
  bool echo_ = false;
  bool closing_ = false;
  bool filling_ = false;  // the core fills a list or moves a slider: no handler runs
  QComboBox* voices_;
  QComboBox* formats_;
  QSlider* rate_;
  QSlider* volume_;
  QPushButton* test_;
  QPlainTextEdit* guide_;
  QLineEdit* position_;
  QLineEdit* track_;
  QPushButton* ok_;
};

}  // namespace zentory
