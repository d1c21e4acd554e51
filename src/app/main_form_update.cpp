// The main window's side of the update check: the worker asks, the window answers.
#include <utility>

#include "app/error_box.h"
#include "app/main_form.h"
#include "app/main_form_messages.h"
#include "app/update_job.h"

bool TForm1::StartUpdateCheck() {
    if (update_ || !IEHTTP1) return false;
    updateCheckStarted_ = true;
    update_ = std::make_unique<UpdateJob>(*IEHTTP1, Handle(), kUpdateDoneMessage);
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
