// The windows of the traverses observed as coordinates: the adjustment window of the angle
// traverses with seven columns (name, measured X, Y, H, known or adjusted X, Y, H), the summary
// line extended by Fh and the total length, and the writing of a result into it.
#pragma once

#include "TraverseWindow.h"

#include "core/CoordinateTraverse.h"

#include <cstddef>

namespace quorvil {

class FpGuard;

// The seven columns and their widths.
QStringList CoordinateTraverseColumns();
QList<int> CoordinateTraverseColumnWidths();

// Columns of the measured and of the known (or adjusted) coordinates.
inline constexpr int MeasuredColumns[3] = {1, 2, 3};
inline constexpr int KnownColumns[3] = {4, 5, 6};

// The layout every coordinate traverse shares: its columns, " 清空 " back to five data rows,
// the summary labels (FB and VB only with a bearing closure) and data-file lines of four fields.
TraverseWindowLayout CoordinateTraverseLayout(const QString &groupCaption, int startRows, bool withBearing);

class CoordinateTraverseWindow : public TraverseWindow {
    Q_OBJECT

public:
    CoordinateTraverseWindow(QWidget *owner, const QString &className, const QString &caption, bool withBearing,
                             const TraverseWindowLayout &layout);

    // The working values of this window's last computation (bearings, lengths, increments and
    // their corrections, misclosures), which the adjustment report reads.
    const CoordinateTraverseResult &lastResult() const { return m_last; }

protected:
    void attachResult(AdjustmentReportData &data) const override { data.coordinate = &m_last; }

    // X, Y, H of a model row from the measured or the known columns.
    CoordinatePoint measuredPoint(int row) const;
    CoordinatePoint knownPoint(int row) const;

    // Refuses a table of fewer data rows than the traverse type needs.
    void requireRows(int rows, const char *tooFewText) const;

    // Shows the summary and writes the adjusted stations, result.adjusted[i] into model row
    // firstRow + i for `count` stations, with 3 decimals. The values are checked for
    // floating-point faults before anything is shown; the result is kept as the working values.
    void showResult(const FpGuard &guard, const CoordinateTraverseResult &result, int firstRow, size_t count);

private:
    bool m_withBearing;
    CoordinateTraverseResult m_last;
};

} // namespace quorvil
