#pragma once

#include <QFrame>
#include <QString>

namespace ui {

// A container with a caption of its own, the kind translated captions are applied to.
class Panel : public QFrame {
    Q_OBJECT
public:
    explicit Panel(QWidget* parent = nullptr) : QFrame(parent) {}
    QString caption() const { return text; }
    void setCaption(const QString& value) { text = value; }

private:
    QString text;
};

} // namespace ui
