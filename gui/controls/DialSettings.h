#pragma once
// TDialSettings: a group of knob settings that tells its owner knob when
// one of them changes, so the knob can redraw. The owner installs the
// handler; a settings object without one just stores its values.

#include <functional>

namespace tessel {

class TDialSettings {
public:
    using TChangeHandler = std::function<void()>;

    TDialSettings() = default;
    TDialSettings(const TDialSettings&) = delete;
    TDialSettings& operator=(const TDialSettings&) = delete;
    virtual ~TDialSettings() = default;

    void SetOnChange(TChangeHandler handler) { FOnChange = std::move(handler); }

protected:
    void Changed() {
        if (FOnChange) FOnChange();
    }

private:
    TChangeHandler FOnChange;
};

}  // namespace tessel
