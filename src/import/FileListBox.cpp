#include "import/FileListBox.h"

#include <QDir>

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {}

bool FileListBox::SetPath(const QString& path) {
    const QDir folder(path);
    if (!folder.exists()) {
        clear();
        return false;
    }
    path_ = path;
    Fill();
    return true;
}

void FileListBox::SetPattern(const QString& pattern) {
    pattern_ = pattern;
    if (!path_.isEmpty())
        Fill();
}

void FileListBox::Fill() {
    QStringList filters;
    for (const QString& part : pattern_.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        QString filter = part;
        filter.remove(QLatin1Char(' '));
        if (!filter.isEmpty())
            filters << (filter == QLatin1String("*.*") ? QStringLiteral("*") : filter);
    }
    QDir folder(path_);
    folder.setNameFilters(filters);
    // Hidden files (names starting with ".") and special files (pipes, sockets, devices) are not
    // listed, as a file list does by default: neither is media a user means to add.
    folder.setFilter(QDir::Files);
    folder.setSorting(QDir::Name | QDir::IgnoreCase);
    clear();
    addItems(folder.entryList());
}

QString FileListBox::FileName() const {
    const QListWidgetItem* item = currentItem();
    return item && item->isSelected() ? item->text() : QString();
}
