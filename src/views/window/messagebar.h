#pragma once

#include <QFrame>

class QLabel;
class QPushButton;
class StoreSaver;

// A strip above the window's columns saying that the store could not be
// written, in the store's own words, with Retry. Not modal: the window keeps
// working and its changes stay pending until a save gets through.
class MessageBar final : public QFrame
{
    Q_OBJECT

public:
    explicit MessageBar(StoreSaver *saver, QWidget *parent = nullptr);

    QString text() const;
    QPushButton *retryButton() const { return m_retry; }

    void showMessage(const QString &message);

private:
    StoreSaver *m_saver;
    QLabel *m_icon;
    QLabel *m_text;
    QPushButton *m_retry;
};
