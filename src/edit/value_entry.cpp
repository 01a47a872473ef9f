// Value entry: tempo, key signature, pitch bend and pan typed as text, the program browser and
// the volume steps.
#include "edit/edit_session.h"
#include "edit/edit_texts.h"

namespace zentory {

void CEditSession::StartTempoEntry() {}
void CEditSession::StartKeySignatureEntry() {}
void CEditSession::StartPitchBendEntry() {}
void CEditSession::StartPanEntry() {}
void CEditSession::StartProgramBrowser() {}
void CEditSession::StepVolume(int) {}
void CEditSession::OnNumericValueKey(int, int, int, int) {}
void CEditSession::OnKeySignatureKey(int, int, int, int) {}
void CEditSession::OnProgramKey(int, int, int, int) {}

}  // namespace zentory
