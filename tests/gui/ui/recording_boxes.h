#pragma once

#include "platform/message_boxes.h"

#include <QList>
#include <QStringList>

// Records every box instead of showing it; file choosers answer from a queue.
class RecordingBoxes : public platform::MessageBoxes {
public:
    struct Box {
        QString text;
        QString caption;
        Icon icon;
        Buttons buttons;
    };

    Answer messageBox(const QString& text, const QString& caption, Icon icon,
                      Buttons buttons) override {
        shown.append(Box{text, caption, icon, buttons});
        return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    }
    QString inputBox(const QString&, const QString&, const QString& preset) override {
        return preset;
    }
    QString saveFileName(const QString&, const QString&) override { return QString(); }
    QString openFileName(const QString& filter) override {
        fileFilters.append(filter);
        return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
    }

    QStringList texts() const {
        QStringList result;
        for (const Box& box : shown)
            result.append(box.text);
        return result;
    }

    QList<Box> shown;
    QStringList fileFilters;
    QStringList openAnswers;
};
