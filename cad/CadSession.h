// The CAD session: every call the drawing tools make on the drawing they pick points from and
// draw into. The tools use only this interface; the program's drawing window implements it
// (ui/drawing/), and ScriptedCadSession below answers prompts from a list and records every call
// for tests and batch use.
//
// Coordinates are drawing coordinates: x is drawing X (east), y drawing Y (north). Entities take
// the drawing's current layer, colour and text style; a tool that sorts its drawing into layers
// makes its layer current first (SetActiveLayer) and gives the user's layer back at the end.
#pragma once

#include "core/Error.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <deque>
#include <vector>

namespace quorvil {

struct CadPoint {
    double x = 0;
    double y = 0;
    double z = 0;
    friend bool operator==(const CadPoint &, const CadPoint &) = default;
};

// Identifies an entity the session created, for Update and hatch loops. 0 is never a valid handle.
using CadHandle = std::uint64_t;

// The user cancelled a prompt (Esc). Picking loops end on it silently; nothing drawn is undone.
class CadCancelled : public Error {
public:
    CadCancelled() : Error("用户取消") {}
};

// Any other failure of the session (an entity that does not exist, a block file that cannot be read).
class CadError : public Error {
public:
    using Error::Error;
};

class CadSession {
public:
    virtual ~CadSession() = default;

    // A header variable of the drawing by its name, case-insensitive ("LtScale"); 1 when absent.
    virtual double GetVariable(const QString &name) = 0;
    // A typed text; spaces belong to the text when allowSpaces is set. Empty when the user just
    // presses Enter. Throws CadCancelled on Esc.
    virtual QString GetString(bool allowSpaces, const QString &prompt) = 0;
    // A picked (snapped) or typed point. Throws CadCancelled on Esc.
    virtual CadPoint GetPoint(const QString &prompt) = 0;
    // The same with a rubber band from `base` to the cursor.
    virtual CadPoint GetPoint(const CadPoint &base, const QString &prompt) = 0;

    virtual CadHandle AddPoint(const CadPoint &at) = 0;
    virtual CadHandle AddCircle(const CadPoint &centre, double radius) = 0;
    virtual CadHandle AddLine(const CadPoint &start, const CadPoint &end) = 0;
    // A whole ellipse: `majorAxis` is the end of the major axis relative to the centre, `ratio`
    // the minor axis over the major one, in (0, 1].
    virtual CadHandle AddEllipse(const CadPoint &centre, const CadPoint &majorAxis, double ratio) = 0;
    // Makes `layer` current, adding it with the colour index `color` when the drawing has none;
    // returns the name of the layer that was current.
    virtual QString SetActiveLayer(const QString &layer, int color) = 0;
    // An open light-weight polyline through the vertices x0, y0, x1, y1, ...
    virtual CadHandle AddLightWeightPolyLine(const std::vector<double> &vertices) = 0;
    // Single-line text, left-aligned on its insertion point.
    virtual CadHandle AddText(const QString &text, const CadPoint &insertion, double height) = 0;
    // A hatch without a boundary yet; patternType 0 is a predefined pattern ("SOLID").
    virtual CadHandle AddHatch(int patternType, const QString &patternName, bool associative) = 0;
    // Gives the hatch its outer loop; the loop here is one circle.
    virtual void AppendOuterLoop(CadHandle hatch, const std::vector<CadHandle> &loop) = 0;
    // The whole drawing file (DXF) placed as a block reference at `at`.
    virtual CadHandle InsertBlock(const CadPoint &at, const QString &drawingFile, double xScale, double yScale,
                                  double zScale, double rotation) = 0;
    // Redraws the entity at once.
    virtual void Update(CadHandle entity) = 0;
    // Removes every entity on the named layers (the layers stay): a tool that draws on its own
    // layers replaces what it drew before. Handles of the drawing's entities lapse. Returns how
    // many entities went.
    virtual int EraseLayers(const QStringList &layers) = 0;
    // Shows the whole drawing.
    virtual void ZoomExtents() = 0;

    // The open drawing window's session, or nullptr when no drawing window is open. This is what
    // a tool "attaches" to when its command starts.
    static CadSession *active();
    // Registers the session the tools attach to (not owned); nullptr when it goes away.
    static void setActive(CadSession *session);
};

// Shown by a command that needs the drawing window when none is open.
inline const QString CadNotOpenMessage = QStringLiteral("图形窗口尚未打开！");

// Answers prompts from a queue and records every call. A prompt with no answer left, or an
// answer of the wrong kind, is taken as Esc (CadCancelled), so a script ends a picking loop by
// running out of answers.
class ScriptedCadSession : public CadSession {
public:
    struct Answer {
        enum Kind { Point, Text, Cancel } kind = Cancel;
        CadPoint point;
        QString text;
    };
    static Answer point(double x, double y, double z = 0) { return {Answer::Point, {x, y, z}, {}}; }
    static Answer text(const QString &t) { return {Answer::Text, {}, t}; }
    static Answer cancel() { return {}; }

    // One recorded call: its name as in the interface ("AddCircle"), the points it was given,
    // the numbers (radius, height, scales, vertices...) and the texts (prompt, text, file).
    struct Call {
        QString name;
        std::vector<CadPoint> points;
        std::vector<double> numbers;
        QStringList texts;
        CadHandle handle = 0; // the handle returned, or the entity the call was made on
    };

    void answer(const Answer &a) { answers_.push_back(a); }
    void setVariable(const QString &name, double value);

    const std::vector<Call> &calls() const { return calls_; }
    // The recorded calls of one name, in order.
    std::vector<Call> callsNamed(const QString &name) const;
    void clearCalls() { calls_.clear(); }
    std::size_t answersLeft() const { return answers_.size(); }

    double GetVariable(const QString &name) override;
    QString GetString(bool allowSpaces, const QString &prompt) override;
    CadPoint GetPoint(const QString &prompt) override;
    CadPoint GetPoint(const CadPoint &base, const QString &prompt) override;
    CadHandle AddPoint(const CadPoint &at) override;
    CadHandle AddCircle(const CadPoint &centre, double radius) override;
    CadHandle AddLine(const CadPoint &start, const CadPoint &end) override;
    CadHandle AddEllipse(const CadPoint &centre, const CadPoint &majorAxis, double ratio) override;
    QString SetActiveLayer(const QString &layer, int color) override;
    CadHandle AddLightWeightPolyLine(const std::vector<double> &vertices) override;
    CadHandle AddText(const QString &text, const CadPoint &insertion, double height) override;
    CadHandle AddHatch(int patternType, const QString &patternName, bool associative) override;
    void AppendOuterLoop(CadHandle hatch, const std::vector<CadHandle> &loop) override;
    CadHandle InsertBlock(const CadPoint &at, const QString &drawingFile, double xScale, double yScale,
                          double zScale, double rotation) override;
    void Update(CadHandle entity) override;
    int EraseLayers(const QStringList &layers) override;
    void ZoomExtents() override;

private:
    QString layer_ = QStringLiteral("0");
    CadHandle record(Call call);
    Answer next(Answer::Kind wanted);

    std::deque<Answer> answers_;
    std::vector<Call> calls_;
    std::vector<std::pair<QString, double>> variables_;
    CadHandle nextHandle_ = 1;
};

} // namespace quorvil
