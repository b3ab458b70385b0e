#include "tests/ergonomics/panelInspector.h"

#include <qwt_plot.h>
#include <qwt_plot_canvas.h>
#include <qwt_plot_marker.h>
#include <qwt_text_label.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QMap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOption>
#include <QTabBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextLayout>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>

namespace PanelInspector {

double Luminance(unsigned rgb)
{
    const auto channel = [](int v) {
        const double c = v / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) +
           0.0722 * channel(qBlue(rgb));
}

double Contrast(double a, double b)
{
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

namespace {

// Qt keeps these protected; the checks need what the widgets themselves use.
struct ButtonAccess : QAbstractButton
{
    using QAbstractButton::hitButton;
};
struct PushAccess : QPushButton
{
    using QPushButton::initStyleOption;
};
struct RadioAccess : QRadioButton
{
    using QRadioButton::initStyleOption;
};
struct CheckAccess : QCheckBox
{
    using QCheckBox::initStyleOption;
};
struct GroupAccess : QGroupBox
{
    using QGroupBox::initStyleOption;
};

QString size(const QSize& s)
{
    return QStringLiteral("%1 x %2").arg(s.width()).arg(s.height());
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')) +
           QLatin1Char('"');
}

bool isLarge(const QFont& font)
{
    const double pt = QFontInfo(font).pixelSize() * 72.0 / 96.0;
    return pt >= 18.0 || (pt >= 14.0 && font.weight() >= QFont::Bold);
}

struct Text
{
    QWidget* widget;
    QString text;
    QFont font;
    QRect extent;      // global
    QRect room;        // global: where the widget lets it go
    int edgeClearance; // horizontal clearance the widget's drawn edge needs
};

struct Control
{
    QWidget* widget;
    QRect hit;   // global, what a touch reaches
    QRect drawn; // global, what the eye sees of it
};

class Inspector
{
public:
    Inspector(const QString& page, QWidget* top, const QRect& panel)
        : m_page(page), m_top(top), m_panel(panel)
    {
        m_shot = top->grab().toImage().convertToFormat(QImage::Format_RGB32);
        m_origin = top->mapToGlobal(QPoint());
    }

    QStringList run()
    {
        collect(m_top);
        for (const Text& t : m_texts)
            checkText(t);
        checkControls();
        checkSiblingFonts();
        checkFrame();
        return m_findings;
    }

private:
    void add(const QWidget* w, const QString& what)
    {
        const QString line =
            m_page + QStringLiteral(" | ") + name(w) + QStringLiteral(" | ") + what;
        if (!m_findings.contains(line))
            m_findings.append(line);
    }

    static QString name(const QWidget* w)
    {
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
            return w->objectName();
        const QString own = QString::fromLatin1(w->metaObject()->className());
        return w->parentWidget() ? name(w->parentWidget()) + QLatin1Char('/') + own : own;
    }

    QRect global(const QWidget* w, const QRect& local) const
    {
        return local.translated(w->mapToGlobal(QPoint()));
    }

    // What of the widget shows: clipped by every parent up to the page and by the panel.
    QRect visible(const QWidget* w) const
    {
        QRect r = global(w, w->rect());
        for (const QWidget* p = w; p != m_top && p->parentWidget(); p = p->parentWidget())
            r &= global(p->parentWidget(), p->parentWidget()->rect());
        return r & m_panel;
    }

    bool related(const QWidget* a, const QWidget* b) const
    {
        return a == b || a->isAncestorOf(b) || b->isAncestorOf(a);
    }

    void collect(QWidget* w)
    {
        for (QObject* child : w->children()) {
            auto* c = qobject_cast<QWidget*>(child);
            if (!c || !c->isVisible() || c->isWindow())
                continue;
            visit(c);
            // A text area's contents are its lines, checked as such.
            if (!qobject_cast<QAbstractScrollArea*>(c) && !qobject_cast<QTabBar*>(c))
                collect(c);
        }
    }

    void visit(QWidget* w)
    {
        if (auto* label = qobject_cast<QLabel*>(w))
            labelText(label);
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            buttonText(button);
        else if (auto* group = qobject_cast<QGroupBox*>(w))
            groupTitle(group);
        else if (auto* tabs = qobject_cast<QTabBar*>(w))
            tabTexts(tabs);
        else if (auto* qwt = qobject_cast<QwtTextLabel*>(w))
            qwtText(qwt);
        else if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
            documentLines(plain, plain->document());
        else if (auto* browser = qobject_cast<QTextBrowser*>(w))
            documentLines(browser, browser->document());
        else if (auto* bar = qobject_cast<QProgressBar*>(w))
            progressText(bar);
        if (auto* plot = qobject_cast<QwtPlot*>(w))
            plotMarkers(plot);
        if (auto* radio = qobject_cast<QRadioButton*>(w))
            checkedDot(radio);
        control(w);
        const QRect shown = visible(w);
        if (shown != global(w, w->rect()) && isControlOrText(w))
            add(w, QStringLiteral("cut to %1 of %2").arg(size(shown.size()), size(w->size())));
    }

    bool isControlOrText(QWidget* w) const
    {
        return qobject_cast<QAbstractButton*>(w) ||
               (qobject_cast<QLabel*>(w) && !static_cast<QLabel*>(w)->text().isEmpty()) ||
               qobject_cast<QTabBar*>(w) || qobject_cast<QAbstractSlider*>(w);
    }

    // ---------------------------------------------------------------- texts

    void addText(QWidget* w, const QString& text, const QFont& font, const QRect& extent,
                 const QRect& room, int clearance = 0)
    {
        if (text.trimmed().isEmpty())
            return;
        m_texts.append({w, text, font, global(w, extent), global(w, room), clearance});
    }

    void labelText(QLabel* label)
    {
        if (label->text().isEmpty() || label->textFormat() == Qt::RichText)
            return;
        const QFontMetrics fm(label->font());
        const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(),
                                                          -label->margin(), -label->margin());
        const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        const QRect extent = fm.boundingRect(room, flags, label->text());
        addText(label, label->text(), label->font(), extent, room);
        if (label->wordWrap())
            checkBreaks(label, label->text(), label->font(), room.width());
    }

    void buttonText(QAbstractButton* button)
    {
        const QString text = QString(button->text()).remove(QLatin1Char('&'));
        if (text.isEmpty())
            return;
        const QFontMetrics fm(button->font());
        const QSize textSize = fm.size(Qt::TextShowMnemonic, text);
        QRect room;
        QRect extent;
        if (auto* push = qobject_cast<QPushButton*>(button)) {
            QStyleOptionButton option;
            (push->*(&PushAccess::initStyleOption))(&option);
            room = push->style()->subElementRect(QStyle::SE_PushButtonContents, &option, push);
            int width = textSize.width();
            const bool icon = !push->icon().isNull();
            if (icon)
                width += push->iconSize().width() + 4;
            extent = QRect(QPoint(), QSize(width, textSize.height()));
            extent.moveCenter(room.center());
            if (icon)
                extent.setLeft(extent.right() - textSize.width() + 1);
        } else if (qobject_cast<QRadioButton*>(button) || qobject_cast<QCheckBox*>(button)) {
            QStyleOptionButton option;
            const bool radio = qobject_cast<QRadioButton*>(button);
            if (radio)
                (static_cast<QRadioButton*>(button)->*(&RadioAccess::initStyleOption))(&option);
            else
                (static_cast<QCheckBox*>(button)->*(&CheckAccess::initStyleOption))(&option);
            room = button->style()->subElementRect(radio ? QStyle::SE_RadioButtonContents
                                                         : QStyle::SE_CheckBoxContents,
                                                   &option, button);
            extent = QRect(room.left(), room.center().y() - textSize.height() / 2, textSize.width(),
                           textSize.height());
        } else {
            room = button->contentsRect();
            extent = QRect(QPoint(), textSize);
            extent.moveCenter(room.center());
        }
        addText(button, text, button->font(), extent, room, kEdgeClearance);
    }

    void groupTitle(QGroupBox* group)
    {
        if (group->title().isEmpty())
            return;
        QStyleOptionGroupBox option;
        (group->*(&GroupAccess::initStyleOption))(&option);
        const QRect room = group->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                          QStyle::SC_GroupBoxLabel, group);
        const QFontMetrics fm(group->font());
        QRect extent(QPoint(), fm.size(Qt::TextShowMnemonic, group->title()));
        extent.moveCenter(room.center());
        addText(group, group->title(), group->font(), extent, room & group->rect());
    }

    void tabTexts(QTabBar* tabs)
    {
        const QFontMetrics fm(tabs->font());
        for (int i = 0; i < tabs->count(); ++i) {
            const QRect room = tabs->tabRect(i);
            QRect extent(QPoint(), fm.size(Qt::TextShowMnemonic, tabs->tabText(i)));
            extent.moveCenter(room.center());
            addText(tabs, tabs->tabText(i), tabs->font(), extent, room & tabs->rect(),
                    kEdgeClearance);
            m_controls.append({tabs, visible(tabs) & global(tabs, room), global(tabs, room)});
        }
    }

    void qwtText(QwtTextLabel* label)
    {
        const QwtText text = label->text();
        if (text.isEmpty())
            return;
        const QFont font = text.usedFont(label->font());
        const QRect room = label->textRect();
        const QFontMetrics fm(font);
        QRect extent(QPoint(), fm.size(0, text.text()));
        if (text.renderFlags() & Qt::AlignLeft)
            extent.moveTopLeft(QPoint(room.left(), room.center().y() - extent.height() / 2));
        else
            extent.moveCenter(room.center());
        addText(label, text.text(), font, extent, room);
    }

    void progressText(QProgressBar* bar)
    {
        if (!bar->isTextVisible() || bar->text().isEmpty())
            return;
        const QFontMetrics fm(bar->font());
        QRect extent(QPoint(), fm.size(0, bar->text()));
        extent.moveCenter(bar->rect().center());
        addText(bar, bar->text(), bar->font(), extent, bar->contentsRect());
    }

    // Every line shown of a text area: its own width, breaks between words only.
    template <typename Area> void documentLines(Area* area, QTextDocument* document)
    {
        QWidget* viewport = area->viewport();
        const QRect room = global(viewport, viewport->rect());
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            QTextLayout* layout = block.layout();
            if (!layout || layout->lineCount() == 0)
                continue;
            const QRect start = area->cursorRect(QTextCursor(block));
            const QPointF origin(start.left(), start.top() - layout->lineAt(0).y());
            QFont font = document->defaultFont();
            if (block.begin() != block.end())
                font = block.begin().fragment().charFormat().font();
            for (int i = 0; i < layout->lineCount(); ++i) {
                const QTextLine line = layout->lineAt(i);
                const QRectF box(origin + QPointF(0, line.y()),
                                 QSizeF(line.naturalTextWidth(), line.height()));
                const QRect extent = global(viewport, box.toAlignedRect());
                if (!room.intersects(extent))
                    continue;
                const QString text = block.text().mid(line.textStart(), line.textLength());
                if (extent.right() > room.right())
                    add(area, QStringLiteral("line %1 is %2 px wider than the page")
                                  .arg(quoted(text.trimmed()))
                                  .arg(extent.right() - room.right()));
                contrast(area, text, font, extent & room);
                if (i + 1 < layout->lineCount())
                    breakAt(area, block.text(), line.textStart() + line.textLength());
            }
        }
    }

    void checkBreaks(QWidget* w, const QString& text, const QFont& font, int width)
    {
        for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
            QTextLayout layout(paragraph, font);
            layout.beginLayout();
            QVector<int> ends;
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(width);
                ends.append(line.textStart() + line.textLength());
            }
            layout.endLayout();
            for (int i = 0; i + 1 < ends.size(); ++i)
                breakAt(w, paragraph, ends[i]);
        }
    }

    // A line may end only where a word does.
    void breakAt(QWidget* w, const QString& text, int end)
    {
        if (end <= 0 || end >= text.size() || text.at(end - 1).isSpace() || text.at(end).isSpace())
            return;
        int from = end;
        while (from > 0 && !text.at(from - 1).isSpace())
            --from;
        int to = end;
        while (to < text.size() && !text.at(to).isSpace())
            ++to;
        add(w, QStringLiteral("breaks %1 inside the word").arg(quoted(text.mid(from, to - from))));
    }

    void checkText(const Text& t)
    {
        // A pixel either way is the font metrics' rounding.
        const QRect extent = t.extent.adjusted(1, 1, -1, -1);
        const QRect need = extent.adjusted(-t.edgeClearance, 0, t.edgeClearance, 0);
        const QRect edge = t.edgeClearance ? global(t.widget, t.widget->rect()) : t.room;
        if (!t.room.contains(extent) || !edge.contains(need)) {
            const int wide = std::max(t.extent.width() + 2 * t.edgeClearance - edge.width(),
                                      t.extent.width() - t.room.width());
            const int high = t.extent.height() - t.room.height();
            add(t.widget,
                QStringLiteral("text %1 needs %2 x %3 px, has %4%5")
                    .arg(quoted(t.text))
                    .arg(t.extent.width() + 2 * t.edgeClearance)
                    .arg(t.extent.height())
                    .arg(size(t.room.size()))
                    .arg(wide > 0 || high > 0 ? QString() : QStringLiteral(" (off centre)")));
        }
        const QRect shown = t.extent & m_panel;
        if (shown != t.extent)
            add(t.widget, QStringLiteral("text %1 runs off the panel").arg(quoted(t.text)));
        const int px = QFontInfo(t.font).pixelSize();
        if (px < kMinTextPx)
            add(t.widget, QStringLiteral("text %1 is %2 px, under %3")
                              .arg(quoted(t.text))
                              .arg(px)
                              .arg(kMinTextPx));
        contrast(t.widget, t.text, t.font, visible(t.widget) & t.extent);
    }

    // The ground is what most of the text's box shows; the text is what differs most from it.
    void contrast(QWidget* w, const QString& text, const QFont& font, const QRect& box)
    {
        const QRect r = box.translated(-m_origin) & m_shot.rect();
        if (r.width() < 2 || r.height() < 2)
            return;
        QVector<double> lum;
        lum.reserve(r.width() * r.height());
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                lum.append(Luminance(m_shot.pixel(x, y)));
        auto mid = lum.begin() + lum.size() / 2;
        std::nth_element(lum.begin(), mid, lum.end());
        const double ground = *mid;
        double ink = ground;
        for (double l : lum)
            if (std::abs(l - ground) > std::abs(ink - ground))
                ink = l;
        const double ratio = Contrast(ink, ground);
        const double need = isLarge(font) ? kMinLargeContrast : kMinContrast;
        if (ratio < need)
            add(w, QStringLiteral("text %1 contrast %2 : 1, under %3")
                       .arg(quoted(text))
                       .arg(ratio, 0, 'f', 1)
                       .arg(need, 0, 'f', 1));
    }

    // ---------------------------------------------------------------- marks

    void checkedDot(QRadioButton* radio)
    {
        if (!radio->isChecked())
            return;
        QStyleOptionButton option;
        (radio->*(&RadioAccess::initStyleOption))(&option);
        const QRect dot =
            global(radio,
                   radio->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, radio))
                .translated(-m_origin);
        if (!m_shot.rect().contains(dot))
            return;
        const double centre = Luminance(m_shot.pixel(dot.center()));
        const double well = Luminance(m_shot.pixel(dot.left() + 3, dot.center().y()));
        const double ratio = Contrast(centre, well);
        if (ratio < kMinMarkContrast)
            add(radio, QStringLiteral("checked dot contrast %1 : 1, under %2")
                           .arg(ratio, 0, 'f', 1)
                           .arg(kMinMarkContrast, 0, 'f', 1));
    }

    void plotMarkers(QwtPlot* plot)
    {
        const QRect canvas = global(plot->canvas(), plot->canvas()->rect()).translated(-m_origin);
        if (!m_shot.rect().contains(canvas))
            return;
        const double ground = Luminance(plot->canvasBackground().color().rgb());
        for (QwtPlotItem* item : plot->itemList(QwtPlotItem::Rtti_PlotMarker)) {
            const auto* marker = static_cast<QwtPlotMarker*>(item);
            if (!marker->isVisible() || marker->lineStyle() == QwtPlotMarker::NoLine)
                continue;
            const double ratio = Contrast(Luminance(marker->linePen().color().rgb()), ground);
            if (ratio < kMinMarkContrast)
                add(plot, QStringLiteral("marker line contrast %1 : 1, under %2")
                              .arg(ratio, 0, 'f', 1)
                              .arg(kMinMarkContrast, 0, 'f', 1));
        }
    }

    // ---------------------------------------------------------------- controls

    void control(QWidget* w)
    {
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            QRect hit;
            for (int y = 0; y < w->height(); ++y)
                for (int x = 0; x < w->width(); ++x)
                    if ((button->*(&ButtonAccess::hitButton))(QPoint(x, y)))
                        hit |= QRect(x, y, 1, 1);
            QRect drawn = global(w, w->rect());
            auto* push = qobject_cast<QPushButton*>(w);
            if (push && push->text().isEmpty() && !push->icon().isNull()) {
                QStyleOptionButton option;
                (push->*(&PushAccess::initStyleOption))(&option);
                const QRect room =
                    push->style()->subElementRect(QStyle::SE_PushButtonContents, &option, push);
                QRect icon(QPoint(), push->icon().actualSize(push->iconSize()));
                icon.moveCenter(room.center());
                drawn = global(w, icon);
                if (!w->rect().contains(icon))
                    add(w, QStringLiteral("picture %1 cut by its %2 button")
                               .arg(size(icon.size()), size(w->size())));
                else if (!m_panel.contains(drawn))
                    add(w, QStringLiteral("picture runs off the panel"));
            }
            m_controls.append({w, visible(w) & global(w, hit), drawn});
        } else if (qobject_cast<QAbstractSlider*>(w)) {
            m_controls.append({w, visible(w), global(w, w->rect())});
        } else if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
            if (view->selectionMode() == QAbstractItemView::NoSelection || !view->model() ||
                view->model()->rowCount() == 0)
                return;
            const QModelIndex cell = view->model()->index(view->model()->rowCount() / 2,
                                                          view->model()->columnCount() / 2);
            const QRect r = global(view->viewport(), view->visualRect(cell));
            m_controls.append({view, r & visible(view), r});
        }
    }

    void checkControls()
    {
        for (const Control& c : m_controls) {
            if (c.hit.width() < kMinTouch || c.hit.height() < kMinTouch)
                add(c.widget, QStringLiteral("touch area %1, under %2 x %2")
                                  .arg(size(c.hit.size()))
                                  .arg(kMinTouch));
        }
        for (int i = 0; i < m_controls.size(); ++i) {
            const Control& a = m_controls[i];
            for (int j = i + 1; j < m_controls.size(); ++j) {
                const Control& b = m_controls[j];
                if (a.widget->parentWidget() == b.widget->parentWidget() && a.widget != b.widget &&
                    a.hit.intersects(b.hit))
                    add(a.widget, QStringLiteral("overlaps %1 by %2")
                                      .arg(name(b.widget), size((a.hit & b.hit).size())));
            }
            for (const Text& t : m_texts) {
                if (related(t.widget, a.widget))
                    continue;
                const QRect near = t.extent.adjusted(-kTextGap, -kTextGap, kTextGap, kTextGap);
                if (near.intersects(a.drawn))
                    add(t.widget,
                        QStringLiteral("text %1 meets %2").arg(quoted(t.text), name(a.widget)));
            }
        }
        for (int i = 0; i < m_texts.size(); ++i)
            for (int j = i + 1; j < m_texts.size(); ++j)
                if (!related(m_texts[i].widget, m_texts[j].widget) &&
                    m_texts[i].extent.intersects(m_texts[j].extent))
                    add(m_texts[i].widget,
                        QStringLiteral("text %1 overlaps %2")
                            .arg(quoted(m_texts[i].text), quoted(m_texts[j].text)));
    }

    // Buttons side by side speak in one voice: one size and weight for all of a kind.
    void checkSiblingFonts()
    {
        QMap<QPair<QWidget*, QString>, QVector<QAbstractButton*>> groups;
        for (const Text& t : m_texts)
            if (auto* b = qobject_cast<QAbstractButton*>(t.widget))
                groups[{b->parentWidget(), QString::fromLatin1(b->metaObject()->className())}]
                    .append(b);
        const auto voice = [](const QFont& f) {
            return QStringLiteral("%1 px%2")
                .arg(QFontInfo(f).pixelSize())
                .arg(f.weight() >= QFont::DemiBold ? QStringLiteral(" bold") : QString());
        };
        for (const auto& group : groups) {
            QMap<QString, int> count;
            for (QAbstractButton* b : group)
                ++count[voice(b->font())];
            if (count.size() < 2)
                continue;
            // The voice most of them speak in.
            const QString common = std::max_element(count.cbegin(), count.cend()).key();
            for (QAbstractButton* b : group)
                if (voice(b->font()) != common)
                    add(b, QStringLiteral("font %1 beside %2 of its neighbours")
                               .arg(voice(b->font()), common));
        }
    }

    // A dialog that asks something is a box set apart from what it covers.
    void checkFrame()
    {
        auto* dialog = qobject_cast<QDialog*>(m_top);
        if (!dialog || !dialog->findChild<QAbstractButton*>() || m_shot.width() < 20 ||
            m_shot.height() < 20)
            return;
        QVector<double> ring;
        QVector<double> inside;
        for (int x = 10; x < m_shot.width() - 10; x += 3) {
            ring << Luminance(m_shot.pixel(x, 0))
                 << Luminance(m_shot.pixel(x, m_shot.height() - 1));
            inside << Luminance(m_shot.pixel(x, 5))
                   << Luminance(m_shot.pixel(x, m_shot.height() - 6));
        }
        const auto median = [](QVector<double> v) {
            std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
            return v[v.size() / 2];
        };
        const double ratio = Contrast(median(ring), median(inside));
        if (ratio < kMinMarkContrast)
            add(dialog, QStringLiteral("no frame: edge contrast %1 : 1").arg(ratio, 0, 'f', 1));
    }

    QString m_page;
    QWidget* m_top;
    QRect m_panel;
    QImage m_shot;
    QPoint m_origin;
    QVector<Text> m_texts;
    QVector<Control> m_controls;
    QStringList m_findings;
};

} // namespace

QStringList Inspect(const QString& page, QWidget* top, const QRect& panel)
{
    return Inspector(page, top, panel).run();
}

QVector<PictureText> PictureTexts(const QString& svgPath)
{
    QVector<PictureText> out;
    QFile file(svgPath);
    if (!file.open(QIODevice::ReadOnly))
        return out;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("text"))
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        const double x = a.value(QLatin1String("x")).toDouble();
        const double y = a.value(QLatin1String("y")).toDouble();
        PictureText t;
        t.pixelSize = a.value(QLatin1String("font-size")).toDouble();
        QFont font(a.value(QLatin1String("font-family")).toString());
        font.setPixelSize(qRound(t.pixelSize));
        font.setBold(a.value(QLatin1String("font-weight")) == QLatin1String("bold"));
        t.text = xml.readElementText();
        const QFontMetricsF fm(font);
        // The figure's ink: digits and capitals reach the cap height, nothing descends.
        const QRectF ink = fm.tightBoundingRect(t.text);
        const double width = fm.horizontalAdvance(t.text);
        const QStringRef anchor = a.value(QLatin1String("text-anchor"));
        const double left = anchor == QLatin1String("middle") ? x - width / 2
                            : anchor == QLatin1String("end")  ? x - width
                                                              : x;
        t.box = QRectF(left, y + ink.top(), width, ink.height());
        out.append(t);
    }
    return out;
}

} // namespace PanelInspector
