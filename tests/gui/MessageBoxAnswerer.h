#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

// Plays the operator at the message boxes: while it lives, every modal
// QMessageBox that comes up is recorded and answered with the button reading
// `button`, or with its first button.
class MessageBoxAnswerer : public QObject {
    Q_OBJECT
  public:
    explicit MessageBoxAnswerer(QString button = QString());

    QStringList Texts() const { return m_texts; }
    QStringList Captions() const { return m_captions; }
    QStringList ButtonTexts() const { return m_buttons; }
    int Count() const { return m_texts.size(); }

  private:
    void AnswerOpenBox();

    QTimer m_poll;
    QString m_button;
    QStringList m_texts;
    QStringList m_captions;
    QStringList m_buttons;
};
