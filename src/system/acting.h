#pragma once
// How a removal is carried out, and the record it leaves.
//
// Every deleting primitive takes an Acting: with Carry::Remove it acts, with Carry::Plan it goes
// through the very same look-ups and checks (opening to look, not to delete) and stops short of
// the one call that changes something. Either way each object it reaches is handed to the sink with its outcome, so a plan
// and a removal cannot tell two different stories.
#include <windows.h>

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "system/error_text.h"

enum class Carry { Remove, Plan };

enum class ObjectKind { Process, File, Folder, Key, Value, Program, RecycleBin };

enum class Outcome {
    Planned,   // a plan: the removal would act on it
    Done,      // deleted, ended or started
    NotFound,  // nothing there to act on
    Refused,   // there, but left by a rule; the reason says which
    Failed,    // the system refused; the reason is its error text
};

struct ActedObject {
    ObjectKind kind = ObjectKind::File;
    Outcome outcome = Outcome::Planned;
    // File, folder: its path. Key: "HKCU\..." and the like. Value: its key, named the same way.
    // Program: the target as it is started. Process: its image path (empty when unreadable).
    std::wstring path;
    std::wstring name;  // Value: the value's name. Process: the executable name.
    DWORD processId = 0;
    std::wstring reason;
    // Whose it is: the user's SID and account name, both empty for the machine's. Which registry
    // or folder view it was reached in: "64-bit", "32-bit", or empty where there is one.
    std::wstring userSid;
    std::wstring userName;
    std::wstring view;
};

// Whose the objects of a step are and the view it acts in; stamped on each object it records.
struct ObjectOwner {
    std::wstring userSid;  // empty: the machine's
    std::wstring userName;
    std::wstring view;
};

// Where the objects go, in the order they are reached.
class ActionSink {
public:
    virtual ~ActionSink() = default;
    virtual void Record(const ActedObject& object) = 0;
    // Asked before each file of a folder being emptied; a long cleaning can end there.
    virtual bool StopRequested() { return false; }
};

struct Acting {
    Carry carry = Carry::Remove;
    ActionSink* sink = nullptr;  // null: nothing is recorded
    const ObjectOwner* owner = nullptr;  // null: the machine's, in the one view there is

    // The same acting for the objects of another owner.
    Acting For(const ObjectOwner& other) const { return {carry, sink, &other}; }

    bool Planning() const { return carry == Carry::Plan; }
    bool Stopping() const { return sink && sink->StopRequested(); }
    void Record(ActedObject object, Outcome outcome, std::wstring reason = {}) const {
        object.outcome = outcome;
        object.reason = std::move(reason);
        if (owner) {
            object.userSid = owner->userSid;
            object.userName = owner->userName;
            object.view = owner->view;
        }
        if (sink) sink->Record(object);
    }
    // The one point where a removal and a plan part: an object that passed every check is acted on
    // (act returns ERROR_SUCCESS or the Win32 error), or only noted as planned.
    template <class Act>
    bool Perform(const ActedObject& object, Act&& act) const {
        if (Planning()) {
            Record(object, Outcome::Planned);
            return true;
        }
        const DWORD error = act();
        if (error == ERROR_SUCCESS) Record(object, Outcome::Done);
        else Record(object, Outcome::Failed, SystemErrorReason(error));
        return error == ERROR_SUCCESS;
    }
};

// Keeps the objects in the order first reached. One reached again (a step carried out twice, a
// folder named by two steps) keeps its one place: a first success stands, else the latest word.
class ObjectList : public ActionSink {
public:
    void Record(const ActedObject& object) override;
    const std::vector<ActedObject>& Objects() const { return objects_; }
    // Hands the objects over and starts afresh; moving never fails, so it is safe while unwinding.
    std::vector<ActedObject> Take() noexcept {
        places_.clear();
        return std::move(objects_);
    }

private:
    std::vector<ActedObject> objects_;
    std::unordered_map<std::wstring, std::size_t> places_;
};

// A removal that records nothing.
inline constexpr Acting kRemoveUnrecorded{};

