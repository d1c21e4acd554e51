#pragma once
#include <vector>

// The framework's component base: an object made with an optional owner, which destroys the
// components it owns when it is destroyed itself.
class TComponent {
public:
    explicit TComponent(TComponent* owner = nullptr) : owner_(owner) {
        if (owner_) owner_->owned_.push_back(this);
    }
    virtual ~TComponent() {
        if (owner_) owner_->Release(this);
        while (!owned_.empty()) {
            TComponent* child = owned_.back();
            owned_.pop_back();
            child->owner_ = nullptr;
            delete child;
        }
    }
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
    TComponent* Owner() const { return owner_; }

private:
    void Release(TComponent* child) {
        for (auto it = owned_.begin(); it != owned_.end(); ++it) {
            if (*it == child) { owned_.erase(it); return; }
        }
    }
    TComponent* owner_;
    std::vector<TComponent*> owned_;
};
