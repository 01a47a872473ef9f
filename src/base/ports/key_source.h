// The keyboard hook: while installed, every key event goes to the sink before any window can act
// on it, and is then discarded.
#pragma once

namespace zentory {

class IKeySink {
 public:
  virtual ~IKeySink() = default;
  // KEY is the Windows virtual-key code; CTRL, SHIFT and ALT are 1 when held, else 0.
  // A key source that cannot tell auto-repeats delivers them here as fresh key-downs.
  virtual void OnKeyDown(int key, int ctrl, int shift, int alt) = 0;
  // The auto-repeat of a held key. Unless a sink wants to tell them apart, a fresh key-down.
  virtual void OnKeyRepeat(int key, int ctrl, int shift, int alt) {
    OnKeyDown(key, ctrl, shift, alt);
  }
  virtual void OnKeyUp(int key, int ctrl, int shift, int alt) = 0;
};

class IKeySource {
 public:
  virtual ~IKeySource() = default;
  // Starts taking every key for SINK. Returns false when the keyboard cannot be taken.
  virtual bool Install(IKeySink* sink) = 0;
  // Gives the keyboard back to the windows; harmless when not installed.
  virtual void Remove() = 0;
  virtual bool Installed() const = 0;
};

}  // namespace zentory
