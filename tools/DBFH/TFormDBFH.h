// Single-side connecting traverse ("单边附合导线"): from the known pair A, B to the known point C
// with no closing direction; the bearings are carried uncorrected.
#pragma once

#include "ui/TraverseWindow.h"

namespace quorvil {

class TFormDBFH : public AngleTraverseWindow {
    Q_OBJECT

public:
    explicit TFormDBFH(QWidget *owner);

protected:
    void compute() override;
};

} // namespace quorvil
