#pragma once

#include "detailviewmode.h"
#include "sidebarfilter.h"
#include "skill.h"

#include <QObject>
#include <QPointer>
#include <QString>

// The selection state every view of every window shares. Made once in main;
// it holds no records of its own, only a guarded pointer to the selection.
class AppState final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AppState)
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY searchTextChanged)
    Q_PROPERTY(bool showingNewSkillSheet READ showingNewSkillSheet WRITE setShowingNewSkillSheet
            NOTIFY showingNewSkillSheetChanged)

public:
    explicit AppState(QObject *parent = nullptr);

    Skill *selectedSkill() const { return m_selectedSkill; }
    void setSelectedSkill(Skill *skill);
    QString searchText() const { return m_searchText; }
    void setSearchText(const QString &text);
    bool showingNewSkillSheet() const { return m_showingNewSkillSheet; }
    void setShowingNewSkillSheet(bool showing);
    SidebarFilter sidebarFilter() const { return m_sidebarFilter; }
    void setSidebarFilter(const SidebarFilter &filter);
    DetailViewMode detailViewMode() const { return m_detailViewMode; }
    void setDetailViewMode(DetailViewMode mode);

Q_SIGNALS:
    void selectedSkillChanged();
    void searchTextChanged();
    void showingNewSkillSheetChanged();
    void sidebarFilterChanged();
    void detailViewModeChanged();

private:
    QPointer<Skill> m_selectedSkill;
    QString m_searchText;
    bool m_showingNewSkillSheet = false;
    SidebarFilter m_sidebarFilter;
    DetailViewMode m_detailViewMode = DetailViewMode::Card;
};
