// A list of the files of one folder that match a pattern (";"-separated wildcards, blanks
// ignored, without regard to case), hidden files left out, as the add-media window and the
// background-video chooser show them.
#pragma once

#include <QListWidget>

class FileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);
    // Lists the folder's files; false (and an empty list) when the folder cannot be read.
    bool SetPath(const QString& path);
    const QString& Path() const { return path_; }
    void SetPattern(const QString& pattern);
    const QString& Pattern() const { return pattern_; }
    // The selected file's name, or empty text when none is selected.
    QString FileName() const;

private:
    void Fill();
    QString path_;
    QString pattern_ = QStringLiteral("*.*");
};
