// The windows of the traverses observed as coordinates: the adjustment window of the angle
// traverses with seven columns (name, measured X, Y, H, known or adjusted X, Y, H), the summary
// line extended by Fh and the total length, and the writing of a result into it.
#pragma once

#include "TraverseWindow.h"

#include "core/CoordinateTraverse.h"

namespace quorvil {

// The seven columns and their widths.
QStringList CoordinateTraverseColumns();
QList<int> CoordinateTraverseColumnWidths();

// The layout every coordinate traverse shares: its columns, " 清空 " back to five data rows,
// the summary labels (FB and VB only with a bearing closure) and its data-file lines.
TraverseWindowLayout CoordinateTraverseLayout(const QString &groupCaption, int startRows, AdjustmentKind kind);

class CoordinateTraverseWindow : public TraverseWindow {
    Q_OBJECT

public:
    CoordinateTraverseWindow(QWidget *owner, const QString &className, const QString &caption,
                             const TraverseWindowLayout &layout);

    // The working values of this window's last computation (bearings, lengths, increments and
    // their corrections, misclosures), which the adjustment report reads.
    const CoordinateTraverseResult &lastResult() const { return working().coordinates; }

};

} // namespace quorvil
