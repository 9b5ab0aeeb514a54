// GNSS network adjustment ("GNSS 网平差"): the baselines of the receivers' software (typed, pasted
// or imported from CSV or gama-local <vectors>) are checked by repeated baselines and loops against
// the grade's limits, adjusted free in Earth-centred coordinates with one point held and, with known
// points of the project's grid, constrained onto them with a rotation and a scale (core/gnss). The
// checks and results are shown in tables (超限 rows red), the network drawn with its ellipses, the
// Word report is "GNSS.docx"; the ellipsoidal heights go to the GNSS height fitting window.
#pragma once

#include "core/gnss/Job.h"
#include "io/AdjustmentFile.h"
#include "io/dxf/DxfDocument.h"
#include "ui/ToolWindow.h"

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;

namespace quorvil {

class DrawingScene;
class DrawingView;
class EllipsoidGroup;
class PointTableView;
class ResultFreshness;

class TFormGNSS : public ToolWindow {
    Q_OBJECT

public:
    explicit TFormGNSS(QWidget *owner);

    const std::optional<gnss::JobResults> &lastResults() const { return m_results; }
    const gnss::Job &lastJob() const { return m_job; }
    const DxfDocument &drawing() const { return m_drawing; }

private:
    void importBaselines();
    void saveBaselines();
    void compute();
    void makeReport();
    void drawToCad();
    void sendToHeightFit();

    gnss::Job jobFromWindow() const;
    void showResults();

    QLineEdit *m_header[AdjustmentHeaderFields] = {};
    QTabWidget *m_pages = nullptr;
    PointTableView *m_baselines = nullptr;
    PointTableView *m_known = nullptr;
    QComboBox *m_grade = nullptr;
    EllipsoidGroup *m_ellipsoid = nullptr;
    QLineEdit *m_meridian = nullptr, *m_yConstant = nullptr, *m_projectionHeight = nullptr;
    QComboBox *m_fix = nullptr;
    QLineEdit *m_fixX = nullptr, *m_fixY = nullptr, *m_fixZ = nullptr;
    QPlainTextEdit *m_summary = nullptr;
    QList<PointTableView *> m_sections; // one per GnssSection
    QLabel *m_viewNote = nullptr;
    DrawingScene *m_scene = nullptr;
    DrawingView *m_view = nullptr;
    ResultFreshness *m_fresh = nullptr;

    gnss::Job m_job;
    std::optional<gnss::JobResults> m_results;
    DxfDocument m_drawing;
};

} // namespace quorvil
