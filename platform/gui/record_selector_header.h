#pragma once
// The record selectors of the data grid (inside the grid only). The current
// record's carries the current-row mark, so the user sees which spectrum the
// rest of the window shows.
#include <QHeaderView>

#include <functional>

namespace platform {

class SelectorHeader : public QHeaderView {
public:
    explicit SelectorHeader(QWidget* parent);
    std::function<bool(int row)> isCurrent;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logical) const override;
};

} // namespace platform
