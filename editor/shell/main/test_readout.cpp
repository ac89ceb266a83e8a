#include "editor/shell/main/test_readout.h"

#include "editor/shell/catalogue/tool_button.h"
#include "editor/shell/documents/map_documents.h"
#include "editor/shell/main/main_form.h"
#include "editor/shell/map/tpmap.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QSaveFile>
#include <QTimer>
#include <QWidget>

#include <cstdint>

namespace {

QString Clean(QString text)
{
    text.replace('\t', ' ').replace('\r', "").replace('\n', "\\n");
    return text;
}

// A menu caption as the user reads it: "&&" is an ampersand, a single "&"
// marks the mnemonic.
QString Caption(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        else if (text[i] == '&')
            continue;
        out += text[i];
    }
    return Clean(out);
}

QString Rect(const QRect &r)
{
    return QString("%1\t%2\t%3\t%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

QString GlobalRect(const QWidget &w, const QRect &local)
{
    return Rect(QRect(w.mapToGlobal(local.topLeft()), local.size()));
}

class TTestReadout : public QObject {
public:
    TTestReadout(TfrmMain &form, QString file, std::function<void()> firstPaintReport)
        : QObject(&form), form_(form), file_(std::move(file))
    {
        qApp->installEventFilter(this);
        form_.WhenFirstMapPainted([this, report = std::move(firstPaintReport)] {
            painted_ = true;
            Write();
            if (report)
                report();
        });
        auto *timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this] { Write(); });
        timer->start(20);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Each event of the window system reaches one window first; the
        // widgets below it get copies.
        if (!event->spontaneous() || !watched->isWindowType())
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            ++presses_;
            break;
        case QEvent::MouseButtonRelease:
            ++releases_;
            break;
        case QEvent::KeyPress:
            ++keys_;
            break;
        case QEvent::Wheel:
            ++wheels_;
            break;
        default:
            break;
        }
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease ||
            event->type() == QEvent::MouseMove)
            mouse_ = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
        return false;
    }

private:
    QStringList Snapshot() const
    {
        QStringList lines;
        lines << "title\t" + Clean(form_.windowTitle());
        lines << "window\t" + Rect(form_.frameGeometry());
        lines << QString("inputs\t%1\t%2\t%3\t%4").arg(presses_).arg(releases_).arg(keys_).arg(wheels_);
        lines << QString("mouse\t%1\t%2").arg(mouse_.x()).arg(mouse_.y());
        const QWidget *grabber = QWidget::mouseGrabber();
        lines << QString("grab\t") + (grabber ? grabber->metaObject()->className() : "");
        lines << QString("painted\t%1").arg(painted_ ? 1 : 0);
        if (TPMap *map = form_.CurrentMap(); map && map->Widget() && map->Widget()->isVisible())
            lines << "map\t" + GlobalRect(*map->Widget(), map->Widget()->rect());
        const TMapPageControl &pages = form_.MapPages();
        lines << QString("tabs\t%1\t%2").arg(pages.count()).arg(pages.currentIndex());
        for (int i = 0; i < pages.count(); ++i)
            lines << QString("tab\t%1\t%2\t").arg(i).arg(Clean(pages.tabText(i).trimmed())) +
                         GlobalRect(*pages.tabBar(), pages.tabBar()->tabRect(i));
        for (int i = 0; i < 9; ++i)
            if (const QLabel *panel = form_.StatusPanel(i))
                lines << QString("status\t%1\t%2").arg(i).arg(Clean(panel->text()));
        for (const QAbstractButton *button : form_.findChildren<QAbstractButton *>()) {
            const uint8_t id = ToolIdOf(const_cast<QAbstractButton *>(button));
            if (id == 0 || !button->isVisible())
                continue;
            lines
                << QString("button\t%1\t%2\t").arg(id).arg(Clean(button->toolTip())) +
                       GlobalRect(*button, button->rect()) +
                       QString("\t%1\t%2").arg(button->isEnabled() ? 1 : 0).arg(button->isChecked() ? 1 : 0);
        }
        const QMenuBar *bar = form_.menuBar();
        for (QAction *action : bar->actions())
            if (action->isVisible() && !action->isSeparator())
                lines << "menu\t" + Caption(action->text()) + "\t" +
                             GlobalRect(*bar, bar->actionGeometry(action)) +
                             QString("\t%1").arg(action->isEnabled() ? 1 : 0);
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (top == &form_ || !top->isVisible())
                continue;
            if (const auto *menu = qobject_cast<QMenu *>(top)) {
                const QString title = Caption(menu->title());
                for (QAction *action : menu->actions())
                    if (action->isVisible() && !action->isSeparator())
                        lines << "item\t" + title + "\t" + Caption(action->text()) + "\t" +
                                     GlobalRect(*menu, menu->actionGeometry(action)) +
                                     QString("\t%1\t%2")
                                         .arg(action->isEnabled() ? 1 : 0)
                                         .arg(action->isChecked() ? 1 : 0);
                continue;
            }
            if (!top->isWindow() || top->windowType() == Qt::ToolTip || top->windowType() == Qt::Popup)
                continue;
            QString text;
            if (const auto *box = qobject_cast<QMessageBox *>(top)) {
                text = box->text();
                if (!box->informativeText().isEmpty())
                    text += "\n" + box->informativeText();
            } else {
                for (const QLabel *label : top->findChildren<QLabel *>())
                    if (label->isVisible() && !label->text().isEmpty())
                        text += (text.isEmpty() ? "" : "\n") + label->text();
            }
            lines << QString("dialog\t%1\t%2\t%3")
                         .arg(top->metaObject()->className(), Clean(top->windowTitle()), Clean(text));
            for (const QAbstractButton *button : top->findChildren<QAbstractButton *>())
                if (button->isVisible())
                    lines << "dbutton\t" + Caption(button->text()) + "\t" +
                                 GlobalRect(*button, button->rect());
        }
        return lines;
    }

    void Write()
    {
        const QStringList lines = Snapshot();
        if (lines == last_)
            return;
        QSaveFile file(file_);
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write(QString("serial\t%1\n").arg(++serial_).toUtf8());
        file.write((lines.join('\n') + "\nend\n").toUtf8());
        if (file.commit())
            last_ = lines;
    }

    TfrmMain &form_;
    QString file_;
    QStringList last_;
    int64_t serial_ = 0;
    int64_t presses_ = 0;
    int64_t releases_ = 0;
    int64_t keys_ = 0;
    int64_t wheels_ = 0;
    QPoint mouse_;
    bool painted_ = false;
};

} // namespace

void StartTestReadout(TfrmMain &form, std::function<void()> firstPaintReport)
{
    const QString file = qEnvironmentVariable(kTestReadoutVariable);
    if (!file.isEmpty())
        new TTestReadout(form, file, std::move(firstPaintReport));
}
