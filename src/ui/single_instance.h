#pragma once
// One running configurator per user: a system lock that the operating system
// releases when the process ends, so a crash never blocks the next start.
#include <string>

namespace livra::ui {

class SingleInstance {
public:
    // Takes the lock of this name; held() tells whether it was free.
    explicit SingleInstance(const std::string& name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;
    bool held() const { return held_; }

private:
    bool held_ = false;
    long long handle_ = -1;
};

// "Mutex Object Livra", or $LIVRA_INSTANCE_NAME (tests run side by side).
std::string instanceName();

}  // namespace livra::ui
