// The drawing window: one for the program. It opens and saves DXF drawings, shows them with zoom,
// pan and object snap, and is the CAD session the drawing tools attach to while it is shown: they
// ask for points (picked with the mouse or typed "x,y" on the command line) and text, and draw
// into the drawing. Esc cancels the prompt.
#pragma once

#include "cad/CadSession.h"
#include "io/dxf/DxfDocument.h"

#include <QMainWindow>
#include <QPointF>

#include <optional>
#include <unordered_map>

class QAction;
class QEventLoop;
class QGraphicsItem;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace quorvil {

class DrawingScene;
class DrawingView;

class TFormDrawing : public QMainWindow, public CadSession {
    Q_OBJECT

public:
    explicit TFormDrawing(QWidget *owner);
    ~TFormDrawing() override;

    // The program's drawing window: the one `owner` has, or a new one.
    static TFormDrawing *instance(QWidget *owner);

    // Commands (also on the menu and toolbar).
    void newDrawing();
    void openDrawing();
    bool saveDrawing();
    bool saveDrawingAs();
    void zoomExtents();
    void redraw();

    // Opens a file without the dialog. Throws DxfError; the drawing shown stays when it does.
    void openFile(const QString &path);
    void saveFile(const QString &path);

    const DxfDocument &document() const { return m_doc; }
    QString fileName() const { return m_path; }
    bool isModified() const { return m_modified; }
    DrawingView *view() const { return m_view; }
    DrawingScene *scene() const { return m_scene; }
    // Whether a prompt waits for an answer.
    bool isPrompting() const { return m_loop != nullptr; }

    // CadSession.
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
    // Rotation in radians, as CAD automation takes it.
    CadHandle InsertBlock(const CadPoint &at, const QString &drawingFile, double xScale, double yScale, double zScale,
                          double rotation) override;
    void Update(CadHandle entity) override;
    int EraseLayers(const QStringList &layers) override;
    void ZoomExtents() override;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class PromptKind { None, Text, Point };

    void buildUi();
    void showDocument();
    void updateTitle();
    void setModified(bool modified);
    // Asks whether to save a modified drawing; false when the user cancels.
    bool confirmDiscard();
    void reportReading(const QString &name);

    void say(const QString &line); // one line into the command history
    void ask(PromptKind kind, const QString &prompt, bool allowSpaces, std::optional<QPointF> baseScene);
    void wait();
    void answerTyped();
    void answerPoint(const QPointF &scenePos);
    void cancelPrompt();
    void runTypedCommand(const QString &command);
    void showCursor(const QPointF &scenePos);

    CadHandle add(DxfEntity entity);
    DxfEntity entityFor(DxfType type) const;
    std::pair<std::size_t, QGraphicsItem *> &entry(CadHandle handle);

    DxfDocument m_doc;
    QString m_path;
    bool m_modified = false;
    DrawingScene *m_scene = nullptr;
    DrawingView *m_view = nullptr;
    QPlainTextEdit *m_history = nullptr;
    QLabel *m_prompt = nullptr;
    QLineEdit *m_command = nullptr;
    QLabel *m_coordinates = nullptr;
    QAction *m_panAction = nullptr;
    QAction *m_snapAction = nullptr;

    // The prompt waiting for an answer.
    PromptKind m_kind = PromptKind::None;
    QString m_promptText;
    bool m_allowSpaces = true;
    std::optional<QPointF> m_base; // drawing coordinates
    QEventLoop *m_loop = nullptr;
    bool m_answered = false;
    QString m_answerText;
    CadPoint m_answerPoint;
    std::optional<CadPoint> m_lastPoint;

    QStringList m_typed; // answers typed, for recall with the arrow keys
    int m_recall = 0;

    std::unordered_map<CadHandle, std::pair<std::size_t, QGraphicsItem *>> m_handles;
    CadHandle m_nextHandle = 1;
};

} // namespace quorvil
