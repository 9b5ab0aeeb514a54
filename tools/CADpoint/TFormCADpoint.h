// Points picked in the drawing window: each pick is named and listed with its coordinates, and
// optionally marked in the drawing. The list saves as a plain coordinate file or as the stake-out
// files of two kinds of field controllers.
#pragma once

#include "ui/ToolWindow.h"

namespace quorvil {

class PointTableView;
struct FileDialogSpec;

class TFormCADpoint : public ToolWindow {
    Q_OBJECT

public:
    explicit TFormCADpoint(QWidget *owner);

private:
    void Button8Click(); // "CAD取点": the capture loop
    void DeleteClick();
    void ClearClick();

    // The three file forms: the fields of a row (name, X, Y, H, trimmed) to a line.
    enum class FileForm { Plain, SouthRtk, Topcon };
    void SaveClick(FileForm form);

    int pointCount() const; // the table's one empty row, when nothing is listed, is no point

    PointTableView *StringGrid1;
};

} // namespace quorvil
