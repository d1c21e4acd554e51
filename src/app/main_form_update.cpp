// The main window's side of the update check: the worker asks, the window answers.
#include "app/error_box.h"
#include "app/main_form.h"
#include "app/main_form_messages.h"
#include "app/update_job.h"

bool TForm1::StartUpdateCheck() {
    if (update_) return false;
    updateCheckStarted_ = true;
    update_ = std::make_unique<UpdateJob>(*IEHTTP1, Handle(), kUpdateDoneMessage);
    // The request's own Timeout counts from the last progress, so a server that drips a byte now
    // and then would hold it for ever; the whole check gets the same span from its start.
    if (IEHTTP1->Timeout > 0) SetTimer(Handle(), kUpdateDeadlineTimer, static_cast<UINT>(IEHTTP1->Timeout) * 1000, nullptr);
    return true;
}

void TForm1::UpdateDeadlinePassed() {
    KillTimer(Handle(), kUpdateDeadlineTimer);
    // Aborted, the request ends without a word; the worker then posts as usual.
    if (update_ && !update_->Done()) IEHTTP1->AbortRequested = true;
}

void TForm1::TakeUpdateOutcome() {
    if (!update_ || !update_->Done()) return;
    KillTimer(Handle(), kUpdateDeadlineTimer);
    UpdateOutcome outcome = update_->Outcome();
    update_.reset();
    if (outcome.kind == UpdateOutcome::Kind::Offer) ShowBoxInTurn(OfferNewVersion);
    else if (outcome.kind == UpdateOutcome::Kind::Error) ShowBoxInTurn([outcome] { ShowErrorBox(outcome.error); });
}
