#pragma once

#include <QString>
#include <QTabWidget>
#include <QWidget>

namespace ui {

// One page of a tab control. Its caption is the tab's text while it sits in a QTabWidget
// and survives being moved from one tab control into another.
class TabSheet : public QWidget {
    Q_OBJECT
public:
    explicit TabSheet(QWidget* parent = nullptr) : QWidget(parent) {}
    QString caption() const { return text; }
    void setCaption(const QString& value);
    // The tab control the sheet currently sits in, or null.
    QTabWidget* tabWidget() const;

private:
    QString text;
};

} // namespace ui
