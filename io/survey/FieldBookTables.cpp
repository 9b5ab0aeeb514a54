#include "io/survey/FieldBookTables.h"

#include "core/Limits.h"
#include "core/TextForms.h"
#include "core/fieldbook/FieldBookText.h"
#include "io/survey/NetworkTables.h"

namespace quorvil {

using namespace fieldbook;

namespace {

QString Angle(Real degrees, int secondDecimals) { return PackedAngleText(DegToRad(degrees), secondDecimals); }
QString Fixed(Real value, int decimals) { return QString::fromStdString(NumberToText(decimals, value)); }
QString Seconds(Real value) { return QString::fromStdString(TrimmedNumberText(1, value)); }
QString Name(const std::string &s) { return QString::fromStdString(s); }

// A reading ddd.mmss to 0.001″, without trailing zeros beyond the whole seconds.
QString Reading(Real degrees)
{
    QString text = PackedAngleText(DegToRad(degrees), 3);
    const qsizetype point = text.indexOf(u'.');
    while (text.size() > point + 5 && text.endsWith(u'0'))
        text.chop(1);
    return text;
}

QString Optional(const std::optional<Real> &value, int decimals)
{
    return value ? QString::fromStdString(TrimmedNumberText(decimals, *value)) : QString();
}

} // namespace

QStringList FieldBookInputCaptions()
{
    return {QStringLiteral("测站"),         QStringLiteral("仪器高"),   QStringLiteral("照准点"),
            QStringLiteral("觇标高"),       QStringLiteral("测回"),     QStringLiteral("盘位"),
            QStringLiteral("水平度盘读数"), QStringLiteral("竖盘读数"), QStringLiteral("斜距")};
}

QList<QStringList> FieldBookInputRows(const FieldBook &book)
{
    QList<QStringList> rows;
    rows.reserve(qsizetype(book.pointings.size()));
    for (const Pointing &p : book.pointings)
        rows.append({Name(p.station), Optional(p.instrumentHeight, 4), Name(p.target), Optional(p.targetHeight, 4),
                     QString::number(p.round), p.left ? QStringLiteral("左") : QStringLiteral("右"), Reading(p.horizontal),
                     p.vertical ? Reading(*p.vertical) : QString(), Optional(p.slope, 5)});
    return rows;
}

FieldBook FieldBookFromRows(const QList<QStringList> &rows)
{
    // One line a row, so that the reader's "第 N 行" is the row's number.
    QString text;
    for (const QStringList &row : rows) {
        bool blank = true;
        for (const QString &cell : row)
            blank = blank && cell.trimmed().isEmpty();
        if (!blank)
            for (qsizetype c = 0; c < row.size(); ++c)
                text += (c ? QStringLiteral(",") : QString()) + QString(row[c]).replace(u',', u' ');
        text += u'\n';
    }
    return ParseCsvBook(text.toStdString());
}

QStringList FieldBookPageCaptions()
{
    return {QStringLiteral("测站"),     QStringLiteral("测回"),       QStringLiteral("照准点"),
            QStringLiteral("盘左"),     QStringLiteral("盘右"),       QStringLiteral("2C(″)"),
            QStringLiteral("平均读数"), QStringLiteral("归零方向值"), QStringLiteral("各测回归零方向值之平均值"),
            QStringLiteral("指标差(″)"), QStringLiteral("天顶距")};
}

QList<QStringList> FieldBookStationPageRows(const StationResult &st)
{
    QList<QStringList> rows;
    bool firstOfStation = true;
    std::vector<std::string> meanShown;
    for (const RoundResult &round : st.rounds) {
        bool firstOfRound = true;
        for (const RoundRow &row : round.rows) {
            QString mean;
            if (!row.closing && std::find(meanShown.begin(), meanShown.end(), row.target) == meanShown.end()) {
                for (const StationDirection &d : st.directions)
                    if (d.target == row.target)
                        mean = Angle(d.direction, 2);
                meanShown.push_back(row.target);
            }
            rows.append({firstOfStation ? Name(st.name) : QString(), firstOfRound ? QString::number(round.number) : QString(),
                         Name(row.target), Angle(row.left, 1), Angle(row.right, 1), Seconds(row.c2), Angle(row.mean, 2),
                         row.reduced ? Angle(*row.reduced, 2) : QString(), mean,
                         row.index ? Seconds(*row.index) : QString(), row.zenith ? Angle(*row.zenith, 1) : QString()});
            firstOfStation = firstOfRound = false;
        }
    }
    return rows;
}

QList<QStringList> FieldBookPageRows(const Reduction &r)
{
    QList<QStringList> rows;
    for (const StationResult &st : r.stations)
        rows += FieldBookStationPageRows(st);
    return rows;
}

QStringList FieldBookLineCaptions()
{
    return {QStringLiteral("测站"),        QStringLiteral("照准点"),      QStringLiteral("斜距S(m)"),
            QStringLiteral("天顶距"),      QStringLiteral("平距D(m)"),    QStringLiteral("投影面D0(m)"),
            QStringLiteral("高斯面Dg(m)"), QStringLiteral("高差(m)"),     QStringLiteral("i/v(m)")};
}

QList<QStringList> FieldBookLineRows(const Reduction &r)
{
    QList<QStringList> rows;
    for (const LineResult &l : r.lines) {
        const auto height = [](const std::optional<Real> &h) { return h ? Fixed(*h, 3) : QStringLiteral("—"); };
        rows.append({Name(l.from), Name(l.to), Fixed(l.slope, 4), Angle(l.zenith, 1), Fixed(l.horizontal, 4),
                     Fixed(l.projected, 4), l.grid ? Fixed(*l.grid, 4) : QString(),
                     l.heightDifference ? Fixed(*l.heightDifference, 4) : QString(),
                     height(l.instrumentHeight) + u'/' + height(l.targetHeight)});
    }
    return rows;
}

QStringList FieldBookCheckCaptions()
{
    return {QStringLiteral("测站"), QStringLiteral("测回"), QStringLiteral("照准点"), QStringLiteral("检核项目"),
            QStringLiteral("数值"), QStringLiteral("结论"), QStringLiteral("限差")};
}

QList<QStringList> FieldBookCheckRows(const Reduction &r, bool withNotes)
{
    QList<QStringList> rows;
    for (const Check &c : r.checks)
        rows.append({Name(c.station), c.round ? QString::number(c.round) : QString(), Name(c.target), Name(c.quantity),
                     Seconds(c.value) + Name(c.unit), c.limit ? QString::fromUtf8(c.over ? OverText : PassText) : QString(),
                     c.limit ? Seconds(*c.limit) + Name(c.unit) : QString()});
    if (withNotes)
        for (const std::string &note : r.notes)
            rows.append({QString(), QString(), QString(), Name(note), QString(), QString(), QString()});
    return rows;
}

QString FieldBookNotes(const Reduction &r)
{
    QStringList notes;
    for (const std::string &note : r.notes)
        notes.append(Name(note));
    return notes.join(u'\n');
}

QString FieldBookSummary(const Reduction &r)
{
    int judged = 0, over = 0;
    for (const Check &c : r.checks)
        judged += c.limit.has_value(), over += c.over;
    if (over)
        return QStringLiteral("检核 %1 项, %2 项超限").arg(judged).arg(over);
    return QStringLiteral("检核 %1 项, 全部合格").arg(judged);
}

} // namespace quorvil
