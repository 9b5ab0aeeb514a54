// The field book ("观测手簿"): a total station's rounds of the direction method (CSV book or Leica
// GSI) reduced as the classical 方向观测法手簿 (core/fieldbook): 2C, 归零, round means, zenith
// angles and index errors, the checks of the standard by grade and instrument beside their values,
// trigonometric heights and the distances reduced to the projection surface and the grid. The
// result is Quorvil's observation file for the network: saved (数据另存), or handed to a new
// 控制网平差 window (送平差). The report is the Word report "GCSB.docx".
#pragma once

#include "core/fieldbook/FieldBookLines.h"
#include "io/AdjustmentFile.h"
#include "ui/ToolWindow.h"

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;

namespace quorvil {

class PointTableView;
class ResultFreshness;
struct SurveyHeader;

class TFormGCSB : public ToolWindow {
    Q_OBJECT

public:
    explicit TFormGCSB(QWidget *owner);

    // The reduction of the last computation (none before the first).
    const std::optional<fieldbook::Reduction> &lastReduction() const { return m_reduction; }

private:
    // Commands.
    void importBook();
    void compute();
    void saveObservations();
    void sendToNetwork();
    void makeReport();

    fieldbook::Settings settings() const;
    SurveyHeader header() const;

    QLineEdit *m_header[AdjustmentHeaderFields] = {};
    QComboBox *m_grade = nullptr, *m_instrument = nullptr;
    QLineEdit *m_refraction = nullptr, *m_radius = nullptr, *m_projection = nullptr, *m_yConstant = nullptr;
    QCheckBox *m_grid = nullptr;
    QTabWidget *m_pages = nullptr;
    PointTableView *m_book = nullptr;
    PointTableView *m_known = nullptr;
    PointTableView *m_page = nullptr;
    PointTableView *m_lines = nullptr;
    PointTableView *m_checks = nullptr;
    QLabel *m_summary = nullptr;
    QPlainTextEdit *m_notes = nullptr;
    ResultFreshness *m_results = nullptr;

    std::optional<fieldbook::Reduction> m_reduction;
};

} // namespace quorvil
