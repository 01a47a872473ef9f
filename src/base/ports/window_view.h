// The main window as the core sees it: the guide text, the two status fields, the voice controls
// and the close action. The window toolkit stays behind this.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zentory {

enum class Slider { kRate, kVolume };

class IWindowView {
 public:
  virtual ~IWindowView() = default;
  // The guide text box: the latest announcement.
  virtual void SetGuideText(std::string_view text) = 0;
  // The edit-position field and the edit-target track field.
  virtual void SetPositionField(std::string_view text) = 0;
  virtual void SetTrackField(std::string_view text) = 0;

  // The voice list and the output-format list; SELECTED = -1 selects no row.
  virtual void SetVoiceList(const std::vector<std::string>& rows, int selected) = 0;
  virtual int SelectedVoice() const = 0;
  virtual void SetFormatList(const std::vector<std::string>& rows, int selected) = 0;
  virtual int SelectedFormat() const = 0;

  // The rate (-10..10) and volume (0..100) sliders.
  virtual void SetSliderRange(Slider slider, int min, int max, int page) = 0;
  virtual void SetSliderPosition(Slider slider, int position) = 0;
  virtual int SliderPosition(Slider slider) const = 0;

  // Closes the window as its OK button would; shutdown follows.
  virtual void Close() = 0;
};

}  // namespace zentory
