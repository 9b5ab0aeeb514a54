// Control network adjustment ("控制网平差"): plane, levelling and combined networks adjusted
// rigorously by least squares (core/network). The user types or imports the known points and the
// observations, sets the a priori errors, the confidence and the σ0 the precision is given with,
// presses "平差计算" and reads the summary, the adjusted points with their error ellipses, the
// observations with their residuals and blunder tests, and the relative ellipses; the network is
// drawn with its magnified ellipses in the window and, on request, into the drawing window. The
// report is the Word report "KZWpc.docx". Tables, report and drawings are x north, y east with
// angles clockwise: a file in other axes is converted when imported, and written back in them.
#pragma once

#include "core/network/Network.h"
#include "io/AdjustmentFile.h"
#include "io/dxf/DxfDocument.h"
#include "ui/ToolWindow.h"

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QSpinBox;
class QStatusBar;
class QTabWidget;

namespace quorvil {

class DrawingScene;
class DrawingView;
class PointTableView;
class ResultFreshness;
struct NetworkApriori;
struct SurveyFile;

class TFormKZWPC : public ToolWindow {
    Q_OBJECT

public:
    explicit TFormKZWPC(QWidget *owner);

    // The network and result of the last computation (none before the first).
    const network::Network &lastNetwork() const { return m_network; }
    const std::optional<network::Result> &lastResult() const { return m_result; }
    // The drawing the view shows.
    const DxfDocument &drawing() const { return m_drawing; }

    // Fills the tables and the settings from a network file read (or handed over by another
    // window, as 观测手簿's 送平差 does); the old results are dropped.
    void applyFile(const SurveyFile &file);

    // Networks with more points are adjusted and reported but not drawn in the window.
    static constexpr int DrawLimit = 20000;

private:
    // Commands.
    void importFile();
    void saveFile();
    void saveGama();
    // Adjusts the tables and shows the results; `showPage` turns to the result page.
    void compute(bool showPage);
    void makeReport();
    void drawToCad();

    network::Network networkFromTables() const;
    NetworkApriori apriori() const;
    network::Settings settings() const;
    SurveyFile surveyFile() const;
    void showResult();
    void redraw();
    void fitView(); // zoom to extents now, or when the view is next shown
    void setProgress(bool visible, int percent = 0);

    QLineEdit *m_header[AdjustmentHeaderFields] = {};
    QTabWidget *m_pages = nullptr;
    PointTableView *m_known = nullptr;
    PointTableView *m_obs = nullptr;
    PointTableView *m_points = nullptr;
    PointTableView *m_obsResult = nullptr;
    PointTableView *m_relative = nullptr;
    QPlainTextEdit *m_summary = nullptr;
    QLineEdit *m_angle = nullptr, *m_distA = nullptr, *m_distB = nullptr, *m_levelling = nullptr, *m_sigma0 = nullptr;
    QComboBox *m_levellingUnit = nullptr, *m_confidence = nullptr, *m_sigmaUsed = nullptr, *m_axes = nullptr,
              *m_angles = nullptr;
    QSpinBox *m_scale = nullptr;
    QCheckBox *m_showRelative = nullptr;
    QLabel *m_viewNote = nullptr;
    DrawingScene *m_scene = nullptr;
    DrawingView *m_view = nullptr;
    QProgressBar *m_progress = nullptr;
    QStatusBar *m_status = nullptr;
    ResultFreshness *m_results = nullptr; // the results, from the tables and the a priori errors

    network::Network m_network;
    std::optional<network::Result> m_result;
    DxfDocument m_drawing;
    bool m_fitPending = false;
    bool m_scaleChosen = false; // the user set the ellipse magnification for this network
};

} // namespace quorvil
