#pragma once

#include <QTreeWidget>

// The directory list: the directories from the root down to the current one, open, and the
// subdirectories of the current one, closed, hidden ones included. A click only highlights a
// row (QTreeWidget::itemClicked); activating it (double click, Return) opens it. The list
// always shows a place that can be read.
class DirListBox final : public QTreeWidget {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent = nullptr);

    // The current directory, without a final separator (the root excepted).
    const QString& path() const { return m_path; }
    // Points the list at a directory and re-reads it. When the directory cannot be listed the
    // list stops at the nearest one above it that can, and the answer is false.
    bool setPath(const QString& path);

signals:
    // The list was pointed at a directory, by the program or by the user.
    void changed();
    // A directory the user tried to open could not be listed.
    void openFailed(const QString& path);

protected:
    // The tree is always fully open: no expand marks.
    void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}

private:
    void openRow(QTreeWidgetItem* item);
    QString m_path;
};
