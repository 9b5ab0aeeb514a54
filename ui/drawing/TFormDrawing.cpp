#include "TFormDrawing.h"

#include "DrawingScene.h"
#include "DrawingView.h"
#include "core/TextForms.h"
#include "io/dxf/DxfReader.h"
#include "io/dxf/DxfWriter.h"
#include "ui/CommandRunner.h"
#include "ui/Help.h"
#include "ui/Prompts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QGraphicsItem>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include <cmath>
#include <numbers>

namespace quorvil {

namespace {

const QString Caption = QStringLiteral("图形窗口");
const QString Untitled = QStringLiteral("未命名");
const QString IdlePrompt = QStringLiteral("命令:");

FileDialogSpec OpenDrawingDialog()
{
    return {QStringLiteral("打开图形"), PromptTexts::DxfFilter, {}, {PromptTexts::AllFilesFilter}};
}
FileDialogSpec SaveDrawingDialog() { return {QStringLiteral("图形另存为..."), PromptTexts::DxfFilter, QStringLiteral("dxf")}; }

QString Number(double v) { return QString::number(v, 'f', 3); }

// A typed point: "x,y" or "x,y,z" in drawing coordinates, or "@dx,dy" from `from`.
std::optional<CadPoint> ParsePoint(QString text, const std::optional<CadPoint> &from)
{
    text = text.trimmed();
    bool relative = text.startsWith(u'@');
    if (relative)
        text.remove(0, 1);
    const QStringList parts = text.split(u',');
    if (parts.size() < 2 || parts.size() > 3 || (relative && !from))
        return std::nullopt;
    double v[3] = {0, 0, 0};
    for (int i = 0; i < parts.size(); ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toDouble(&ok); // QString reads numbers in the C locale
        if (!ok || !std::isfinite(v[i]))
            return std::nullopt;
    }
    if (relative)
        return CadPoint{from->x + v[0], from->y + v[1], from->z + v[2]};
    return CadPoint{v[0], v[1], v[2]};
}

QIcon Icon(QStyle::StandardPixmap pixmap) { return QApplication::style()->standardIcon(pixmap); }

} // namespace

TFormDrawing::TFormDrawing(QWidget *owner) : QMainWindow(owner, Qt::Window)
{
    setObjectName(QStringLiteral("TFormDrawing"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_doc = NewDxfDocument();
    buildUi();
    updateTitle();
    if (owner)
        owner->installEventFilter(this);
    resize(960, 680);
    // F1 shows the drawing window's section of the help page, as in every tool window.
    InstallHelpKey(this, objectName());
}

TFormDrawing::~TFormDrawing()
{
    if (CadSession::active() == this)
        CadSession::setActive(nullptr);
    if (m_loop)
        m_loop->exit();
}

TFormDrawing *TFormDrawing::instance(QWidget *owner)
{
    if (owner)
        if (auto *existing = owner->findChild<TFormDrawing *>(QStringLiteral("TFormDrawing"), Qt::FindDirectChildrenOnly))
            return existing;
    return new TFormDrawing(owner);
}

void TFormDrawing::buildUi()
{
    m_scene = new DrawingScene(this);
    m_view = new DrawingView(m_scene, this);

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_view, 1);

    // The command line: what was asked and answered above, the prompt and the typed answer below.
    m_history = new QPlainTextEdit(central);
    m_history->setObjectName(QStringLiteral("CommandHistory"));
    m_history->setReadOnly(true);
    m_history->setFocusPolicy(Qt::NoFocus);
    m_history->setMaximumBlockCount(2000);
    m_history->setFixedHeight(fontMetrics().lineSpacing() * 4 + 10);
    layout->addWidget(m_history);
    auto *line = new QWidget(central);
    auto *lineLayout = new QHBoxLayout(line);
    lineLayout->setContentsMargins(4, 2, 4, 2);
    m_prompt = new QLabel(IdlePrompt, line);
    m_prompt->setObjectName(QStringLiteral("LabPrompt"));
    m_command = new QLineEdit(line);
    m_command->setObjectName(QStringLiteral("EditCommand"));
    m_command->installEventFilter(this);
    lineLayout->addWidget(m_prompt);
    lineLayout->addWidget(m_command, 1);
    layout->addWidget(line);
    setCentralWidget(central);

    m_coordinates = new QLabel(this);
    m_coordinates->setObjectName(QStringLiteral("LabCoordinates"));
    statusBar()->addPermanentWidget(m_coordinates);

    // Commands, shared by menu and toolbar.
    auto command = [this](const QString &caption, const char *name, QStyle::StandardPixmap icon, auto slot) {
        auto *action = new QAction(Icon(icon), caption, this);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    QAction *newAction = command(QStringLiteral("新建图形"), "NewDrawingClick", QStyle::SP_FileIcon, [this] { newDrawing(); });
    QAction *openAction = command(QStringLiteral("打开图形..."), "OpenDrawingClick", QStyle::SP_DialogOpenButton, [this] { openDrawing(); });
    QAction *saveAction = command(QStringLiteral("保存图形"), "SaveDrawingClick", QStyle::SP_DialogSaveButton, [this] { saveDrawing(); });
    QAction *saveAsAction = command(QStringLiteral("图形另存为..."), "SaveDrawingAsClick", QStyle::SP_DriveFDIcon, [this] { saveDrawingAs(); });
    QAction *extentsAction = command(QStringLiteral("全图显示"), "ZoomExtentsClick", QStyle::SP_TitleBarMaxButton, [this] { zoomExtents(); });
    QAction *redrawAction = command(QStringLiteral("重画"), "RedrawClick", QStyle::SP_BrowserReload, [this] { redraw(); });
    m_panAction = command(QStringLiteral("平移"), "PanClick", QStyle::SP_ArrowUp, [this](bool on) { m_view->setHandTool(on); });
    m_panAction->setCheckable(true);
    m_snapAction = command(QStringLiteral("对象捕捉"), "SnapClick", QStyle::SP_DialogApplyButton, [this](bool on) {
        m_view->setSnapEnabled(on);
        say(on ? QStringLiteral("<对象捕捉 开>") : QStringLiteral("<对象捕捉 关>"));
    });
    m_snapAction->setCheckable(true);
    m_snapAction->setChecked(true);
    m_snapAction->setShortcut(Qt::Key_F3);
    newAction->setShortcut(QKeySequence::New);
    openAction->setShortcut(QKeySequence::Open);
    saveAction->setShortcut(QKeySequence::Save);

    QMenu *file = menuBar()->addMenu(QStringLiteral("图形"));
    file->addActions({newAction, openAction, saveAction, saveAsAction});
    QMenu *view = menuBar()->addMenu(QStringLiteral("视图"));
    view->addActions({extentsAction, redrawAction, m_panAction});
    view->addSeparator();
    view->addAction(m_snapAction);

    auto *bar = addToolBar(QStringLiteral("图形"));
    bar->setObjectName(QStringLiteral("DrawingToolBar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->setIconSize(QSize(18, 18));
    bar->addActions({newAction, openAction, saveAction, saveAsAction});
    bar->addSeparator();
    bar->addActions({extentsAction, redrawAction, m_panAction, m_snapAction});

    connect(m_view, &DrawingView::cursorMoved, this, &TFormDrawing::showCursor);
    connect(m_view, &DrawingView::picked, this, &TFormDrawing::answerPoint);
    connect(m_view, &DrawingView::escapePressed, this, &TFormDrawing::cancelPrompt);
    connect(m_command, &QLineEdit::returnPressed, this, &TFormDrawing::answerTyped);
    auto *escape = new QShortcut(Qt::Key_Escape, this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &TFormDrawing::cancelPrompt);

    say(QStringLiteral("滚轮缩放，按住中键平移，F3 开关对象捕捉；点取时可输入坐标 x,y，Esc 取消。"));
    showCursor({});
}

// ---- drawing commands --------------------------------------------------------------------------

void TFormDrawing::updateTitle()
{
    const QString name = m_path.isEmpty() ? Untitled : QFileInfo(m_path).fileName();
    setWindowTitle(Caption + QStringLiteral(" - ") + name + (m_modified ? QStringLiteral("*") : QString()));
}

void TFormDrawing::setModified(bool modified)
{
    if (m_modified != modified) {
        m_modified = modified;
        updateTitle();
    }
}

bool TFormDrawing::confirmDiscard()
{
    if (!m_modified)
        return true;
    const auto answer = Prompts::instance().showMessage(this, QStringLiteral("图形已修改，是否保存？"), Caption,
                                                        QMessageBox::Question,
                                                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Yes)
        return saveDrawing();
    return answer == QMessageBox::No;
}

void TFormDrawing::showDocument()
{
    m_handles.clear();
    m_scene->load(m_doc);
    m_view->zoomExtents();
    updateTitle();
}

void TFormDrawing::newDrawing()
{
    cancelPrompt();
    if (!confirmDiscard())
        return;
    m_doc = NewDxfDocument();
    m_path.clear();
    m_modified = false;
    showDocument();
    say(QStringLiteral("新建图形"));
}

void TFormDrawing::openDrawing()
{
    cancelPrompt();
    if (!confirmDiscard())
        return;
    const QString path = Prompts::instance().openFileName(this, OpenDrawingDialog());
    if (path.isEmpty())
        return;
    RunCommand(this, [&] { openFile(path); });
}

void TFormDrawing::openFile(const QString &path)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    statusBar()->showMessage(QStringLiteral("正在打开图形..."));
    struct Restore {
        ~Restore() { QGuiApplication::restoreOverrideCursor(); }
    } restore;
    DxfDocument doc = ReadDxf(path); // the drawing shown stays when this throws
    statusBar()->clearMessage();
    m_doc = std::move(doc);
    m_path = path;
    m_modified = false;
    showDocument();
    say(QStringLiteral("打开图形 %1").arg(QDir::toNativeSeparators(path)));
    reportReading(QFileInfo(path).fileName());
}

void TFormDrawing::reportReading(const QString &name)
{
    QStringList notes;
    if (m_doc.truncated)
        notes << QStringLiteral("文件不完整或有损坏，只读入了前面完好的部分。");
    if (m_doc.unsoundEntities > 0)
        notes << QStringLiteral("有 %1 个对象的坐标或尺寸不是有效数值，未读入。").arg(m_doc.unsoundEntities);
    if (m_scene->hitLimit())
        notes << QStringLiteral("块的嵌套过深或数量过大，部分块未画出。");
    if (notes.isEmpty())
        return;
    for (const QString &note : notes)
        say(note);
    Prompts::instance().showMessage(this, QStringLiteral("图形“%1”：\n").arg(name) + notes.join(u'\n'), Caption,
                                    QMessageBox::Information);
}

bool TFormDrawing::saveDrawing()
{
    // A drawing of the program's own (the sheet drawing beside it) is saved under a new name.
    if (m_path.isEmpty() || IsProgramFile(m_path))
        return saveDrawingAs();
    return RunCommand(this, [&] { saveFile(m_path); });
}

bool TFormDrawing::saveDrawingAs()
{
    const QString path = AskSaveFileName(this, SaveDrawingDialog());
    if (path.isEmpty())
        return false;
    return RunCommand(this, [&] { saveFile(path); });
}

void TFormDrawing::saveFile(const QString &path)
{
    WriteDxf(m_doc, path);
    m_path = path;
    m_modified = false;
    updateTitle();
    say(QStringLiteral("图形已保存到 %1").arg(QDir::toNativeSeparators(path)));
}

void TFormDrawing::zoomExtents() { m_view->zoomExtents(); }

void TFormDrawing::redraw()
{
    m_scene->update();
    m_view->viewport()->update();
}

// ---- command line --------------------------------------------------------------------------------

void TFormDrawing::say(const QString &line)
{
    m_history->appendPlainText(line);
}

void TFormDrawing::showCursor(const QPointF &scenePos)
{
    const QPointF d = m_scene->toDrawing(scenePos);
    // The survey grid: X north is the drawing's Y, Y east the drawing's X.
    m_coordinates->setText(QStringLiteral("图形 X=%1  Y=%2    测量 X(北)=%3  Y(东)=%4")
                               .arg(Number(d.x()), Number(d.y()), Number(d.y()), Number(d.x())));
}

bool TFormDrawing::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_command && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape) {
            cancelPrompt();
            return true;
        }
        if (key->key() == Qt::Key_Space && m_kind == PromptKind::Text && !m_allowSpaces) {
            answerTyped(); // a space ends a text without spaces, as Enter does
            return true;
        }
        if ((key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) && !m_typed.isEmpty()) {
            m_recall = std::clamp(m_recall + (key->key() == Qt::Key_Up ? -1 : 1), 0, int(m_typed.size()));
            m_command->setText(m_recall < m_typed.size() ? m_typed.at(m_recall) : QString());
            return true;
        }
    }
    // The program closing with a drawing not saved.
    if (watched == parent() && event->type() == QEvent::Close && m_modified) {
        if (!confirmDiscard())
            event->ignore();
        return !event->isAccepted();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormDrawing::answerTyped()
{
    const QString text = m_command->text();
    m_command->clear();
    if (!text.trimmed().isEmpty()) {
        m_typed.removeAll(text);
        m_typed.append(text);
    }
    m_recall = int(m_typed.size());
    switch (m_kind) {
    case PromptKind::None:
        runTypedCommand(text);
        return;
    case PromptKind::Text:
        m_answerText = m_allowSpaces ? text : text.section(u' ', 0, 0);
        say(m_promptText + u' ' + m_answerText);
        m_answered = true;
        break;
    case PromptKind::Point: {
        const auto p = ParsePoint(text, m_base ? std::optional<CadPoint>(CadPoint{m_base->x(), m_base->y(), 0}) : m_lastPoint);
        if (!p) {
            say(m_promptText + u' ' + text);
            say(QStringLiteral("需要点：请在图中点取，或输入坐标 x,y（@dx,dy 为相对坐标）。"));
            return;
        }
        m_answerPoint = *p;
        say(m_promptText + u' ' + Number(p->x) + u',' + Number(p->y));
        m_answered = true;
        break;
    }
    }
    if (m_loop)
        m_loop->exit();
}

void TFormDrawing::answerPoint(const QPointF &scenePos)
{
    if (m_kind != PromptKind::Point)
        return;
    const QPointF d = m_scene->toDrawing(scenePos);
    m_answerPoint = CadPoint{d.x(), d.y(), 0};
    say(m_promptText + u' ' + Number(d.x()) + u',' + Number(d.y()));
    m_answered = true;
    if (m_loop)
        m_loop->exit();
}

void TFormDrawing::cancelPrompt()
{
    if (m_kind == PromptKind::None || !m_loop)
        return;
    say(m_promptText + QStringLiteral(" *取消*"));
    m_answered = false;
    m_loop->exit();
}

void TFormDrawing::runTypedCommand(const QString &typed)
{
    const QString command = typed.trimmed().toUpper();
    if (command.isEmpty())
        return;
    say(IdlePrompt + u' ' + typed.trimmed());
    if (command == u"Z" || command == u"ZOOM" || command == u"全图显示")
        zoomExtents();
    else if (command == u"R" || command == u"REDRAW" || command == u"重画")
        redraw();
    else if (command == u"P" || command == u"PAN" || command == u"平移")
        m_panAction->trigger();
    else if (command == u"OSNAP" || command == u"SNAP" || command == u"对象捕捉")
        m_snapAction->trigger();
    else
        say(QStringLiteral("未知命令“%1”。可用：ZOOM 全图显示，REDRAW 重画，PAN 平移，OSNAP 对象捕捉。").arg(typed.trimmed()));
}

void TFormDrawing::ask(PromptKind kind, const QString &prompt, bool allowSpaces, std::optional<QPointF> base)
{
    if (m_loop)
        throw CadError("图形窗口正在等待另一个命令的输入，请先完成或按Esc取消。");
    if (!isVisible())
        throw CadCancelled();
    m_kind = kind;
    m_promptText = prompt;
    m_allowSpaces = allowSpaces;
    m_base = base;
    m_answered = false;
    m_prompt->setText(prompt);
    m_view->setPicking(kind == PromptKind::Point, base ? std::optional<QPointF>(m_scene->toScene(*base)) : std::nullopt);
    if (!isActiveWindow()) {
        raise();
        activateWindow();
    }
    if (kind == PromptKind::Text)
        m_command->setFocus();
    else
        m_view->setFocus();
}

void TFormDrawing::wait()
{
    QEventLoop loop;
    m_loop = &loop;
    const QPointer<TFormDrawing> self(this);
    loop.exec();
    if (!self) // the window went away while it waited (the program ends)
        throw CadCancelled();
    m_loop = nullptr;
    m_kind = PromptKind::None;
    m_base.reset();
    m_view->setPicking(false);
    m_prompt->setText(IdlePrompt);
    if (!m_answered)
        throw CadCancelled();
}

// ---- the CAD session ---------------------------------------------------------------------------

double TFormDrawing::GetVariable(const QString &name)
{
    return m_doc.variable(name, 1);
}

QString TFormDrawing::GetString(bool allowSpaces, const QString &prompt)
{
    ask(PromptKind::Text, prompt, allowSpaces, std::nullopt);
    wait();
    return m_answerText;
}

CadPoint TFormDrawing::GetPoint(const QString &prompt)
{
    ask(PromptKind::Point, prompt, true, std::nullopt);
    wait();
    m_lastPoint = m_answerPoint;
    return m_answerPoint;
}

CadPoint TFormDrawing::GetPoint(const CadPoint &base, const QString &prompt)
{
    ask(PromptKind::Point, prompt, true, QPointF(base.x, base.y));
    wait();
    m_lastPoint = m_answerPoint;
    return m_answerPoint;
}

DxfEntity TFormDrawing::entityFor(DxfType type) const
{
    // The drawing's current layer and text style; colour and linetype by layer.
    DxfEntity e;
    e.type = type;
    for (const auto &v : m_doc.variables) {
        if (v.kind != DxfVariable::Text)
            continue;
        if (v.name == "$CLAYER" && !v.text.empty())
            e.layer = QString::fromStdString(v.text);
        else if (v.name == "$TEXTSTYLE" && !v.text.empty())
            e.style = QString::fromStdString(v.text);
    }
    return e;
}

CadHandle TFormDrawing::add(DxfEntity entity)
{
    for (double v : {entity.p.x, entity.p.y, entity.p.z, entity.q.x, entity.q.y, entity.radius, entity.height})
        if (!std::isfinite(v))
            throw CadError("Invalid floating point operation");
    m_doc.ensureLayer(entity.layer);
    m_doc.entities.push_back(std::move(entity));
    QGraphicsItem *item = m_scene->addEntity(m_doc, m_doc.entities.back());
    const CadHandle handle = m_nextHandle++;
    m_handles[handle] = {m_doc.entities.size() - 1, item};
    setModified(true);
    return handle;
}

std::pair<std::size_t, QGraphicsItem *> &TFormDrawing::entry(CadHandle handle)
{
    const auto it = m_handles.find(handle);
    if (it == m_handles.end())
        throw CadError("图形中没有这个对象（图形已新建或重新打开）。");
    return it->second;
}

CadHandle TFormDrawing::AddPoint(const CadPoint &at)
{
    DxfEntity e = entityFor(DxfType::Point);
    e.p = {at.x, at.y, at.z};
    return add(std::move(e));
}

CadHandle TFormDrawing::AddCircle(const CadPoint &centre, double radius)
{
    DxfEntity e = entityFor(DxfType::Circle);
    e.p = {centre.x, centre.y, centre.z};
    e.radius = radius;
    return add(std::move(e));
}

CadHandle TFormDrawing::AddLine(const CadPoint &start, const CadPoint &end)
{
    DxfEntity e = entityFor(DxfType::Line);
    e.p = {start.x, start.y, start.z};
    e.q = {end.x, end.y, end.z};
    return add(std::move(e));
}

CadHandle TFormDrawing::AddEllipse(const CadPoint &centre, const CadPoint &majorAxis, double ratio)
{
    if (!(ratio > 0 && ratio <= 1) || (majorAxis.x == 0 && majorAxis.y == 0))
        throw CadError("AddEllipse: 椭圆的轴无效。");
    DxfEntity e = entityFor(DxfType::Ellipse);
    e.p = {centre.x, centre.y, centre.z};
    e.q = {majorAxis.x, majorAxis.y, 0};
    e.ratio = ratio;
    e.startAngle = 0;
    e.endAngle = 2 * std::numbers::pi;
    return add(std::move(e));
}

QString TFormDrawing::SetActiveLayer(const QString &layer, int color)
{
    if (!m_doc.layer(layer))
        m_doc.ensureLayer(layer).color = color;
    // The current layer is the header variable $CLAYER, which entityFor reads.
    for (DxfVariable &v : m_doc.variables)
        if (v.name == "$CLAYER" && v.kind == DxfVariable::Text) {
            const QString previous = v.text.empty() ? QStringLiteral("0") : QString::fromStdString(v.text);
            v.text = layer.toStdString();
            return previous;
        }
    DxfVariable v;
    v.name = "$CLAYER";
    v.kind = DxfVariable::Text;
    v.code = 8;
    v.text = layer.toStdString();
    m_doc.variables.push_back(std::move(v));
    return QStringLiteral("0");
}

CadHandle TFormDrawing::AddLightWeightPolyLine(const std::vector<double> &vertices)
{
    DxfEntity e = entityFor(DxfType::Polyline);
    for (std::size_t i = 0; i + 1 < vertices.size(); i += 2) {
        if (!std::isfinite(vertices[i]) || !std::isfinite(vertices[i + 1]))
            throw CadError("Invalid floating point operation");
        e.vertices.push_back({vertices[i], vertices[i + 1], 0});
    }
    if (!e.vertices.empty())
        e.p = {e.vertices[0].x, e.vertices[0].y, 0};
    return add(std::move(e));
}

CadHandle TFormDrawing::AddText(const QString &text, const CadPoint &insertion, double height)
{
    DxfEntity e = entityFor(DxfType::Text);
    e.p = e.q = {insertion.x, insertion.y, insertion.z};
    e.text = text;
    e.height = height;
    return add(std::move(e));
}

CadHandle TFormDrawing::AddHatch(int patternType, const QString &patternName, bool)
{
    DxfEntity e = entityFor(DxfType::Hatch);
    e.pattern = patternName.trimmed().isEmpty() ? QStringLiteral("SOLID") : patternName.trimmed().toUpper();
    e.solid = patternType == 0 && e.pattern == u"SOLID";
    return add(std::move(e));
}

void TFormDrawing::AppendOuterLoop(CadHandle hatch, const std::vector<CadHandle> &loop)
{
    auto &[hatchIndex, hatchItem] = entry(hatch);
    if (m_doc.entities[hatchIndex].type != DxfType::Hatch)
        throw CadError("AppendOuterLoop: 对象不是填充。");
    std::vector<DxfVertex> boundary;
    for (CadHandle h : loop) {
        const DxfEntity &e = m_doc.entities[entry(h).first];
        if (e.type == DxfType::Circle) { // two half circles
            boundary.push_back({e.p.x + e.radius, e.p.y, 1});
            boundary.push_back({e.p.x - e.radius, e.p.y, 1});
        } else if (e.type == DxfType::Polyline) {
            boundary.insert(boundary.end(), e.vertices.begin(), e.vertices.end());
        } else if (e.type == DxfType::Line) {
            boundary.push_back({e.p.x, e.p.y, 0});
        } else {
            throw CadError("AppendOuterLoop: 边界只能是圆、直线或多段线。");
        }
    }
    DxfEntity &h = m_doc.entities[hatchIndex];
    h.loops.insert(h.loops.begin(), boundary);
    h.p = {boundary.empty() ? 0 : boundary[0].x, boundary.empty() ? 0 : boundary[0].y, 0};
    m_scene->removeTopItem(hatchItem);
    hatchItem = m_scene->addEntity(m_doc, h);
    setModified(true);
}

CadHandle TFormDrawing::InsertBlock(const CadPoint &at, const QString &drawingFile, double xScale, double yScale,
                                    double zScale, double rotation)
{
    // A drawing inserted before is placed again from its block; a new one is read and defined.
    const QString blockName = DxfBlockName(QFileInfo(drawingFile).completeBaseName());
    if (!m_doc.block(blockName)) {
        DxfDocument source = ReadDxf(drawingFile);
        for (const DxfLayer &layer : source.layers)
            if (!m_doc.layer(layer.name))
                m_doc.layers.push_back(layer);
        for (const DxfLinetype &lt : source.linetypes)
            if (std::none_of(m_doc.linetypes.begin(), m_doc.linetypes.end(), [&](const DxfLinetype &t) { return t.name == lt.name; }))
                m_doc.linetypes.push_back(lt);
        for (const DxfTextStyle &st : source.styles)
            if (std::none_of(m_doc.styles.begin(), m_doc.styles.end(), [&](const DxfTextStyle &s) { return s.name == st.name; }))
                m_doc.styles.push_back(st);
        for (DxfBlock &b : source.blocks)
            if (!m_doc.block(b.name))
                m_doc.blocks.push_back(std::move(b));
        DxfBlock block{blockName, 0, {}, std::move(source.entities)};
        for (const auto &v : source.variables)
            if (v.name == "$INSBASE" && v.kind == DxfVariable::Vector)
                block.base = {v.values[0], v.values[1], v.values[2]};
        m_doc.blocks.push_back(std::move(block));
    }
    DxfEntity e = entityFor(DxfType::Insert);
    e.block = blockName;
    e.p = {at.x, at.y, at.z};
    e.sx = xScale, e.sy = yScale, e.sz = zScale;
    e.rotation = rotation * 180 / std::numbers::pi;
    return add(std::move(e));
}

void TFormDrawing::Update(CadHandle entity)
{
    QGraphicsItem *item = entry(entity).second;
    if (item)
        item->update();
    m_view->viewport()->update();
}

int TFormDrawing::EraseLayers(const QStringList &layers)
{
    const auto erased = [&](const DxfEntity &e) { return layers.contains(e.layer, Qt::CaseInsensitive); };
    const auto first = std::remove_if(m_doc.entities.begin(), m_doc.entities.end(), erased);
    const int count = int(m_doc.entities.end() - first);
    if (count == 0)
        return 0;
    m_doc.entities.erase(first, m_doc.entities.end());
    // The scene is built again from the drawing; the view stays where it is.
    m_handles.clear();
    m_scene->load(m_doc);
    setModified(true);
    return count;
}

void TFormDrawing::ZoomExtents() { zoomExtents(); }

// ---- showing and hiding ------------------------------------------------------------------------

void TFormDrawing::showEvent(QShowEvent *event)
{
    CadSession::setActive(this);
    QMainWindow::showEvent(event);
    if (!event->spontaneous() && m_scene->items().isEmpty())
        m_view->zoomExtents();
}

void TFormDrawing::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous()) { // closed, not minimised
        cancelPrompt();
        if (CadSession::active() == this)
            CadSession::setActive(nullptr);
    }
    QMainWindow::hideEvent(event);
}

} // namespace quorvil
