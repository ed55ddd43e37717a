#include "FormFixture.h"

#include <QAbstractItemView>
#include <QAction>
#include <QDialog>
#include <QFile>

#include "serial/PortMap.h"

FormFixture::FormFixture() : m_frame(std::make_unique<CMainFrame>(m_recentFiles)) {
    m_frame->View()->OnInitialUpdate();
    m_frame->show();
}

// Closes the window as the operator's close box does.
FormFixture::~FormFixture() {
    m_frame->close();
    m_frame.reset();
    if (!m_boxGuard.Texts().isEmpty()) {
        QTest::qFail(qPrintable("a message box nobody answered: " + m_boxGuard.Texts().join(" / ")),
                     __FILE__, __LINE__);
    }
}

QStringList FormFixture::ListLines(int id) {
    QStringList lines;
    QListWidget* list = List(id);
    for (int i = 0; i < list->count(); ++i) lines.append(list->item(i)->text());
    return lines;
}

QString FormFixture::DialogOpenedBy(const char* action) {
    QString opened;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) return;
        opened = dialog->objectName();
        dialog->close();
    });
    m_frame->findChild<QAction*>(QString::fromLatin1(action))->trigger();
    return opened;
}

void FormFixture::Choose(int comboId, int index) {
    QComboBox* combo = Combo(comboId);
    combo->showPopup();
    QAbstractItemView* list = combo->view();
    list->setCurrentIndex(combo->model()->index(index, 0));
    QTest::keyClick(list, Qt::Key_Return);
}

void FormFixture::Type(int editId, const QString& text) {
    QLineEdit* edit = Edit(editId);
    edit->clear();
    QTest::keyClicks(edit, text);
}

QString FormFixture::EditCell(int row, int col, const QString& text, QList<int> bitIds, bool ok) {
    QString caption;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        poll.stop();
        caption = dialog->windowTitle();
        auto* edit = dialog->findChild<QLineEdit*>("ctl1030");
        if (!text.isNull()) {
            edit->clear();
            QTest::keyClicks(edit, text);
        }
        for (int id : bitIds) {
            QTest::mouseClick(dialog->findChild<QCheckBox*>(QStringLiteral("ctl%1").arg(id)),
                              Qt::LeftButton, {}, QPoint(4, 4));
        }
        QTest::keyClick(ok ? static_cast<QWidget*>(edit) : dialog,
                        ok ? Qt::Key_Return : Qt::Key_Escape);
    });
    poll.start(20);
    CMSFlexGrid* grid = Grid();
    QPoint cell = grid->visualItemRect(grid->item(row, col)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
    return caption;
}

QByteArray FileContents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

FormOnPty::FormOnPty() {
    PortMap::Clear();
    PortMap::AddMapping("COM15=" + SlavePath());
}

FormOnPty::~FormOnPty() { PortMap::Clear(); }

QStringList FormOnPty::TickAndReceive(int count) {
    // Ticks as the form's timer would while the lines come: a write waits a
    // tick or two for the journal to hold what came before it.
    QStringList lines;
    std::string line;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (lines.size() < count && std::chrono::steady_clock::now() < end) {
        Tick();
        line += ReadUntil("\r", std::chrono::milliseconds(100));
        if (line.empty() || line.back() != '\r') continue;
        line.pop_back();
        lines << QString::fromStdString(line);
        line.clear();
    }
    return lines;
}
