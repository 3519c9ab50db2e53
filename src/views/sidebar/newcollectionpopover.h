#pragma once

#include <QFrame>
#include <QPointer>
#include <QStringList>

class ModelContext;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;

// The small form that makes a collection. It is a popup, so a click outside
// closes it like Cancel; name and icon outlive a closing, and only Create
// clears the name. A name that is taken is refused in the form, which stays
// open so it can be changed.
class NewCollectionPopover final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NewCollectionPopover)

public:
    explicit NewCollectionPopover(ModelContext *context, QWidget *parent = nullptr);

    static const QStringList &availableIcons();

    QString collectionName() const;
    QString chosenIcon() const { return m_icon; }
    // Why Create is refused, empty when it is not.
    QString errorText() const;

    // Opens below anchor (global coordinates), or above it when the window
    // has no room below; always inside the window.
    void openAt(const QRect &anchor);
    void create();
    void cancel();

Q_SIGNALS:
    // After Create closed the form, whether or not the store took it.
    void createRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void chooseIcon(const QString &icon);
    void updateHighlight();
    void checkName();

    QPointer<ModelContext> m_context;
    QLineEdit *m_name;
    QLabel *m_error;
    QWidget *m_grid;
    QButtonGroup *m_icons;
    QPushButton *m_create;
    QString m_icon;
};
