#include "appstate.h"
#include "fakehome.h"
#include "memorystore.h"
#include "recentlyremoveddialog.h"
#include "sidebarmodel.h"
#include "skilldetailview.h"
#include "skillhistoryview.h"
#include "skillrecords.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>

using namespace Qt::StringLiterals;

// The History presentation and "Recently removed": what a person sees of a
// skill's versions, and getting an old text or a deleted skill back.
class SkillHistoryViewTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void versionsDiffAndRestore();
    void removedSkillListedAndRestored();

private:
    void edit(const QString &text, VersionSource source);

    std::unique_ptr<FakeHome> m_home;
    std::unique_ptr<ModelContext> m_store;
    Skill *m_skill = nullptr;
    QString m_file;
};

void SkillHistoryViewTest::init()
{
    m_home = std::make_unique<FakeHome>(FakeHome::Store::Memory);
    m_store = openMemoryStore();
    QVERIFY(m_store);
    m_file = m_home->write(u".claude/skills/pdf/SKILL.md"_s, "Use it for PDF files.\n");
    Skill::Seed seed = skillSeed(m_file);
    seed.content = u"Use it for PDF files.\n"_s;
    m_skill = addSkill(*m_store, seed);
    QVERIFY(m_store->save());
    edit(u"Use it for all PDF forms.\n"_s, VersionSource::EditedInQuire);
}

void SkillHistoryViewTest::cleanup()
{
    m_store.reset();
    m_home.reset();
}

// As the editor saves: the file first, then the record.
void SkillHistoryViewTest::edit(const QString &text, VersionSource source)
{
    QFile out(m_file);
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(text.toUtf8());
    out.close();
    m_skill->setContent(text);
    m_skill->setFileText(text);
    m_skill->setVersionSource(source);
    QVERIFY(m_store->save());
}

void SkillHistoryViewTest::versionsDiffAndRestore()
{
    AppState state;
    SkillDetailView detail(m_skill, &state, m_store.get());
    detail.historyButton()->click();
    QCOMPARE(state.detailViewMode(), DetailViewMode::History);
    SkillHistoryView *history = detail.history();
    QVERIFY(history);

    QListWidget *list = history->versionList();
    QCOMPARE(list->count(), 2);
    QVERIFY(list->item(0)->text().startsWith(u"Edited in Quire · "_s));
    QVERIFY(list->item(1)->text().startsWith(u"Changed on disk · "_s));

    // The newest is the current text; the older differs by two words.
    QVERIFY(!history->restoreButton()->isEnabled());
    list->setCurrentRow(1);
    QVERIFY(history->restoreButton()->isEnabled());
    const QTextDocument *diff = history->diffView()->document();
    QCOMPARE(diff->toPlainText(),
        u"@@ -1,1 +1,1 @@\n-Use it for PDF files.\n+Use it for all PDF forms."_s);
    auto boldAt = [&](int block, int column) {
        const QTextBlock line = diff->findBlockByNumber(block);
        QTextCursor cursor(line);
        cursor.setPosition(line.position() + column + 1); // the format left of the position
        return cursor.charFormat().fontWeight() == QFont::Bold;
    };
    QVERIFY(boldAt(1, 17)); // "files"
    QVERIFY(!boldAt(1, 5)); // "it"
    QVERIFY(boldAt(2, 12)); // "all"

    QVERIFY(history->restoreSelected());
    QCOMPARE(FakeHome::read(m_file), QByteArray("Use it for PDF files.\n"));
    QCOMPARE(m_skill->content(), u"Use it for PDF files.\n"_s);
    QCOMPARE(list->count(), 3);
    QVERIFY(list->item(0)->text().startsWith(u"Restored · "_s));
}

void SkillHistoryViewTest::removedSkillListedAndRestored()
{
    SidebarModel sidebar(m_store.get());
    QAbstractItemModelTester tester(&sidebar);
    auto removedRow = [&] {
        for (int row = 0; row < sidebar.rowCount(); ++row) {
            const QModelIndex index = sidebar.index(row);
            if (index.data(SidebarModel::KindRole).value<SidebarModel::RowKind>()
                == SidebarModel::RowKind::RecentlyRemoved)
                return index;
        }
        return QModelIndex();
    };
    QVERIFY(!removedRow().isValid()); // nothing removed: no row

    QVERIFY(QFile::remove(m_file));
    m_store->remove(m_skill);
    QVERIFY(m_store->save());
    const QModelIndex row = removedRow();
    QVERIFY(row.isValid());
    QCOMPARE(row.data(Qt::DisplayRole).toString(), u"Recently removed"_s);
    QCOMPARE(row.data(SidebarModel::BadgeRole).toInt(), 1);

    RecentlyRemovedDialog dialog(m_store.get());
    QCOMPARE(dialog.fileList()->count(), 1);
    QVERIFY(dialog.fileList()->item(0)->text().startsWith(u"pdf\n"_s));
    SkillHistoryView *history = dialog.history();
    QCOMPARE(history->path(), m_file);
    history->versionList()->setCurrentRow(1);
    QVERIFY(history->restoreSelected());
    QCOMPARE(FakeHome::read(m_file), QByteArray("Use it for PDF files.\n"));
    QCOMPARE(dialog.fileList()->count(), 0);
}

QTEST_MAIN(SkillHistoryViewTest)
#include "tst_skillhistoryview.moc"
