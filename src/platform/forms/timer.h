#pragma once
// The form's timer: while Enabled and Interval > 0 it runs its handler every Interval milliseconds
// on the user-interface thread. Tag is a free text the program keeps with it.

#include <functional>
#include <memory>
#include <string>

namespace forms {

class Timer {
public:
    Timer();
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    int Interval() const;
    void SetInterval(int milliseconds);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    const std::string& Tag() const;
    void SetTag(const std::string& tag);
    void OnTimer(std::function<void()> handler);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace forms
