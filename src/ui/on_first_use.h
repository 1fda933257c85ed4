#pragma once
// A widget made the first time it is reached. A file dialog costs about a third of
// the program's start-up, and most sessions never open one.
#include <QPointer>
#include <functional>
#include <utility>

namespace varendo {

template <typename Widget> class OnFirstUse {
public:
    OnFirstUse() = default;
    explicit OnFirstUse(std::function<Widget*()> make) : make_(std::move(make)) {}

    Widget* get()
    {
        if (!widget_ && make_)
            widget_ = make_();
        return widget_;
    }
    Widget* operator->() { return get(); }
    operator Widget*() { return get(); }

private:
    std::function<Widget*()> make_;
    QPointer<Widget> widget_; // owned by its Qt parent
};

} // namespace varendo
