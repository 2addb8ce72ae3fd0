#pragma once
// A mouse tool: one way of working with the mouse (and the few keys that go with it) in a
// view. A view keeps its tools in one ordered chain and offers each event to them in turn
// until one takes it; the view itself only paints and routes.
//
// A handler returns true when it took the event: the tools after it do not see it, and the
// view accepts it. A tool may also act on an event and still pass it on, as the pick tool
// does with the left button, whose press and release the navigation tool pans with.

#include <memory>
#include <utility>
#include <vector>

#include <QPoint>

class QKeyEvent;
class QMouseEvent;
class QPaintDevice;
class QWheelEvent;

namespace qm4edit {

class CTool {
public:
    virtual ~CTool() = default;

    virtual bool MousePress(QMouseEvent&) { return false; }
    virtual bool MouseMove(QMouseEvent&) { return false; }
    virtual bool MouseRelease(QMouseEvent&) { return false; }
    virtual bool Wheel(QWheelEvent&) { return false; }
    virtual bool KeyPress(QKeyEvent&) { return false; }
    virtual bool KeyRelease(QKeyEvent&) { return false; }
    // Puts whatever the tool is in the middle of back as it was before it began.
    virtual void Cancel() {}
    // Draws the tool's marks over the view's finished picture.
    virtual void DrawOverlay(QPaintDevice&) const {}
};

// A press and release no farther apart than this are a click, not a drag.
inline constexpr int CLICK_SLOP = 3;
inline bool IsClick(const QPoint& press, const QPoint& release)
{
    const QPoint moved = release - press;
    return moved.x() * moved.x() + moved.y() * moved.y() <= CLICK_SLOP * CLICK_SLOP;
}

class CToolChain {
public:
    // Appends a tool: it sees each event after those added before it.
    template <class T, class... Args>
    T& Add(Args&&... args)
    {
        auto tool = std::make_unique<T>(std::forward<Args>(args)...);
        T& ref = *tool;
        m_tools.push_back(std::move(tool));
        return ref;
    }

    bool MousePress(QMouseEvent& event) { return Offer(&CTool::MousePress, event); }
    bool MouseMove(QMouseEvent& event) { return Offer(&CTool::MouseMove, event); }
    bool MouseRelease(QMouseEvent& event) { return Offer(&CTool::MouseRelease, event); }
    bool Wheel(QWheelEvent& event) { return Offer(&CTool::Wheel, event); }
    bool KeyPress(QKeyEvent& event) { return Offer(&CTool::KeyPress, event); }
    bool KeyRelease(QKeyEvent& event) { return Offer(&CTool::KeyRelease, event); }
    void Cancel()
    {
        for (const auto& tool : m_tools)
            tool->Cancel();
    }
    // Every tool draws, the first one lowest.
    void DrawOverlay(QPaintDevice& device) const
    {
        for (const auto& tool : m_tools)
            tool->DrawOverlay(device);
    }

private:
    template <class Event>
    bool Offer(bool (CTool::*handler)(Event&), Event& event)
    {
        for (const auto& tool : m_tools)
            if (((*tool).*handler)(event))
                return true;
        return false;
    }

    std::vector<std::unique_ptr<CTool>> m_tools;
};

} // namespace qm4edit
