#include "system/acting.h"

namespace {

// Names compare as the file system and the registry compare them: letters folded.
std::wstring PlaceKey(const ActedObject& object) {
    std::wstring key = std::to_wstring(static_cast<int>(object.kind)) + L'|' + std::to_wstring(object.processId) +
                       L'|' + object.path + L'|' + object.name + L'|' + object.userSid + L'|' + object.view;
    if (!key.empty()) CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

bool Succeeded(Outcome outcome) { return outcome == Outcome::Done || outcome == Outcome::Planned; }

}  // namespace

void ObjectList::Record(const ActedObject& object) {
    auto [place, added] = places_.try_emplace(PlaceKey(object), objects_.size());
    if (added) {
        objects_.push_back(object);
        return;
    }
    ActedObject& earlier = objects_[place->second];
    if (!Succeeded(earlier.outcome)) earlier = object;
}
