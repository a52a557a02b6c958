#include "platform/designer/DesignGeometry.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace kv::design {

int snap(int value, int grid)
{
    if (grid <= 1)
        return value;
    return int(std::lround(double(value) / grid)) * grid;
}

QRect snapped(const QRect &rect, int grid)
{
    return QRect(QPoint(snap(rect.left(), grid), snap(rect.top(), grid)), rect.size());
}

namespace {

// The order of rects along one axis (by their start), for the spacing rule.
std::vector<std::size_t> orderBy(const std::vector<QRect> &rects, bool across)
{
    std::vector<std::size_t> order(rects.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return across ? rects[a].left() < rects[b].left() : rects[a].top() < rects[b].top();
    });
    return order;
}

// Equal gaps between neighbours, the first and last keeping their place.
void spaceEqually(std::vector<QRect> &rects, bool across)
{
    if (rects.size() < 3)
        return;
    const std::vector<std::size_t> order = orderBy(rects, across);
    const auto start = [&](const QRect &r) { return across ? r.left() : r.top(); };
    const auto extent = [&](const QRect &r) { return across ? r.width() : r.height(); };
    const QRect &first = rects[order.front()];
    const QRect &last = rects[order.back()];
    int occupied = 0;
    for (std::size_t index : order)
        occupied += extent(rects[index]);
    const double span = start(last) + extent(last) - start(first);
    const double gap = (span - occupied) / double(rects.size() - 1);
    double position = start(first);
    for (std::size_t index : order) {
        QRect &rect = rects[index];
        const int place = int(std::lround(position));
        across ? rect.moveLeft(place) : rect.moveTop(place);
        position += extent(rect) + gap;
    }
}

QRect bounds(const std::vector<QRect> &rects)
{
    QRect all;
    for (const QRect &rect : rects)
        all = all.isNull() ? rect : all.united(rect);
    return all;
}

} // namespace

void alignHorizontal(std::vector<QRect> &rects, HorzAlign rule, int bandWidth)
{
    if (rects.empty())
        return;
    const QRect reference = rects.front();
    switch (rule) {
    case HorzAlign::None:
        return;
    case HorzAlign::Left:
        for (QRect &rect : rects)
            rect.moveLeft(reference.left());
        return;
    case HorzAlign::Right:
        for (QRect &rect : rects)
            rect.moveLeft(reference.left() + reference.width() - rect.width());
        return;
    case HorzAlign::Centers:
        for (QRect &rect : rects)
            rect.moveLeft(reference.left() + (reference.width() - rect.width()) / 2);
        return;
    case HorzAlign::SpaceEqually:
        spaceEqually(rects, true);
        return;
    case HorzAlign::CenterInBand: {
        const QRect all = bounds(rects);
        const int shift = (bandWidth - all.width()) / 2 - all.left();
        for (QRect &rect : rects)
            rect.translate(shift, 0);
        return;
    }
    }
}

void alignVertical(std::vector<QRect> &rects, VertAlign rule, int bandHeight)
{
    if (rects.empty())
        return;
    const QRect reference = rects.front();
    switch (rule) {
    case VertAlign::None:
        return;
    case VertAlign::Tops:
        for (QRect &rect : rects)
            rect.moveTop(reference.top());
        return;
    case VertAlign::Bottoms:
        for (QRect &rect : rects)
            rect.moveTop(reference.top() + reference.height() - rect.height());
        return;
    case VertAlign::Centers:
        for (QRect &rect : rects)
            rect.moveTop(reference.top() + (reference.height() - rect.height()) / 2);
        return;
    case VertAlign::SpaceEqually:
        spaceEqually(rects, false);
        return;
    case VertAlign::CenterInBand: {
        const QRect all = bounds(rects);
        const int shift = (bandHeight - all.height()) / 2 - all.top();
        for (QRect &rect : rects)
            rect.translate(0, shift);
        return;
    }
    }
}

namespace {

int sized(SizeRule rule, int current, int smallest, int largest, int fixed)
{
    switch (rule) {
    case SizeRule::NoChange:
        return current;
    case SizeRule::Shrink:
        return smallest;
    case SizeRule::Grow:
        return largest;
    case SizeRule::Fixed:
        return std::max(1, fixed);
    }
    return current;
}

} // namespace

void applySize(std::vector<QRect> &rects, SizeRule widthRule, int width, SizeRule heightRule, int height)
{
    if (rects.empty())
        return;
    const auto [minW, maxW] = std::minmax_element(rects.begin(), rects.end(),
                                                  [](const QRect &a, const QRect &b) { return a.width() < b.width(); });
    const auto [minH, maxH] = std::minmax_element(
        rects.begin(), rects.end(), [](const QRect &a, const QRect &b) { return a.height() < b.height(); });
    const int smallestW = minW->width(), largestW = maxW->width();
    const int smallestH = minH->height(), largestH = maxH->height();
    for (QRect &rect : rects) {
        rect.setWidth(sized(widthRule, rect.width(), smallestW, largestW, width));
        rect.setHeight(sized(heightRule, rect.height(), smallestH, largestH, height));
    }
}

QRect scaled(const QRect &rect, int percent)
{
    const auto times = [percent](int value) { return int(std::lround(value * percent / 100.0)); };
    return QRect(times(rect.left()), times(rect.top()), std::max(1, times(rect.width())),
                 std::max(1, times(rect.height())));
}

QRect resized(const QRect &rect, int handle, QPoint delta, int grid)
{
    int left = rect.left(), top = rect.top();
    int right = rect.left() + rect.width(), bottom = rect.top() + rect.height();
    const bool moveLeft = handle == 0 || handle == 6 || handle == 7;
    const bool moveRight = handle >= 2 && handle <= 4;
    const bool moveTop = handle >= 0 && handle <= 2;
    const bool moveBottom = handle >= 4 && handle <= 6;
    if (moveLeft)
        left = std::min(snap(left + delta.x(), grid), right - 1);
    if (moveRight)
        right = std::max(snap(right + delta.x(), grid), left + 1);
    if (moveTop)
        top = std::min(snap(top + delta.y(), grid), bottom - 1);
    if (moveBottom)
        bottom = std::max(snap(bottom + delta.y(), grid), top + 1);
    return QRect(left, top, right - left, bottom - top);
}

QKeySequence shortCutToKeySequence(int shortCut)
{
    const int virtualKey = shortCut & 0xFF;
    int key = 0;
    if (virtualKey >= 0x70 && virtualKey <= 0x87)
        key = Qt::Key_F1 + (virtualKey - 0x70);
    else if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9'))
        key = virtualKey;
    else if (virtualKey == 0x2E)
        key = Qt::Key_Delete;
    else if (virtualKey == 0x2D)
        key = Qt::Key_Insert;
    if (key == 0)
        return {};
    int modifiers = 0;
    if (shortCut & 0x2000)
        modifiers |= Qt::SHIFT;
    if (shortCut & 0x4000)
        modifiers |= Qt::CTRL;
    if (shortCut & 0x8000)
        modifiers |= Qt::ALT;
    return QKeySequence(key | modifiers);
}

} // namespace kv::design
