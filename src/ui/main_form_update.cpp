// The main window's side of the update check: the worker asks, the window answers.
#include <utility>

#include "ui/error_box.h"
#include "ui/links.h"
#include "ui/main_form.h"
#include "ui/main_form_messages.h"
#include "update/update_job.h"

namespace {

// Asks whether to open the home page for the new version, and opens it on Yes.
void OfferNewVersion() {
    int answer = MessageBoxA(nullptr,
                             "A new version of Zarvex is available for download. Do you want to go to the home "
                             "page to download the new version ?\r\n\r\n",
                             "New version available", MB_YESNO | MB_ICONINFORMATION);
    if (answer == IDYES) OpenHomePage();
}

}  // namespace

bool TForm1::StartUpdateCheck() {
    if (update_ || !IEHTTP1) return false;
    updateCheckStarted_ = true;
    update_ = std::make_unique<UpdateJob>(
        *IEHTTP1, [window = Handle()] { PostMessageA(window, kUpdateDoneMessage, 0, 0); });
    return true;
}

void TForm1::TakeUpdateOutcome() {
    if (!update_ || !update_->Done()) return;
    UpdateOutcome outcome = update_->Outcome();
    update_.reset();
    updateResult_ = outcome;
    if (!outcome.note.empty()) {
        // Nothing offered, and not in silence: whoever looks sees why.
        idleStatus_ = UpdateNoteLine(outcome.note);
        if (!scan_) SetStatusText(idleStatus_);
    }
    if (OnUpdateDone) {
        std::exchange(OnUpdateDone, nullptr)(outcome);
        return;
    }
    if (outcome.kind == UpdateOutcome::Kind::Offer) ShowBoxInTurn(OfferNewVersion);
    else if (outcome.kind == UpdateOutcome::Kind::Error) ShowBoxInTurn([outcome] { ShowErrorBox(outcome.error); });
}
