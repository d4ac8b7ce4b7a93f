// List controls that hold plain texts, as the player's lists do: a list box (ListBox) and a
// drop-down list (ComboList), both over one ListModel.
//
// Filling is cheap: AddItem only appends to the texts; the view learns of new rows in one batch
// (before the next paint, or at once when selection or view state is asked for). Reading texts
// (List, ListCount) never waits for the view.
//
// Click follows the selected entry, as a list box's click event does: it is emitted whenever the
// user changes the selection, however (a mouse press, a press dragged over other entries, the
// arrow, Home/End and page keys, typing to find an entry), and when the user clicks the entry
// that is already selected. Selecting by program (SetListIndex), filling, removing and clearing
// never emit it: the caller runs the click handler itself, so that it runs at once, before the
// selecting statement goes on.
#pragma once

#include "core/HiddenList.h"

#include <QAbstractListModel>
#include <QComboBox>
#include <QListView>
#include <QStringList>

#include <vector>

class ListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void Append(const QString& text);
    void Append(const QStringList& texts);
    // Numbered lines read "<number><gap><text>". The model keeps the number and the text apart,
    // so that a text the library or another list holds is shared rather than copied into every
    // line: a track list can be 32,767 lines. A list holds numbered lines or plain texts only.
    void SetNumberGap(const QString& gap) { gap_ = gap; }
    void AppendNumbered(qint16 number, const QString& text);
    // Replaces the lines with `texts` numbered from 1, sharing the texts with their owner.
    void AssignNumbered(const QStringList& texts);
    QString Line(int row) const;
    QStringList Lines() const;
    void Remove(int row);
    void Clear();
    // Replaces the texts with `texts`, sharing them with their owner until either changes.
    void Assign(const QStringList& texts);
    void Sync(); // announces the rows appended since the last sync
    void Reserve(int count) {
        texts_.reserve(count);
        if (!gap_.isNull())
            numbers_.reserve(static_cast<size_t>(count));
    }
    // The texts without their numbers.
    const QStringList& Texts() const { return texts_; }
    // Keeps the texts sorted: each new text goes after the texts that do not sort after it.
    void SetSorted(SortedList::Less less) { less_ = std::move(less); }

private:
    SortedList::Less less_;
    void ScheduleSync();
    void Replace(const QStringList& texts);
    QStringList texts_;
    QString gap_;                 // null: plain texts
    std::vector<qint16> numbers_; // of numbered lines, beside texts_
    int announced_ = 0;           // rows the views know of
    bool syncPending_ = false;
};

class ListBox : public QListView {
    Q_OBJECT
public:
    explicit ListBox(QWidget* parent = nullptr);

    void AddItem(const QString& text);
    void AddItems(const QStringList& texts);
    // For a list of numbered lines: see ListModel::SetNumberGap.
    void SetNumberGap(const QString& gap) { model_->SetNumberGap(gap); }
    void AddNumberedItem(qint16 number, const QString& text);
    void AssignNumbered(const QStringList& texts);
    void Reserve(int count) { model_->Reserve(count); }
    void RemoveItem(int index);
    void Clear();
    void SetSorted(SortedList::Less less) { model_->SetSorted(std::move(less)); }
    int ListCount() const { return static_cast<int>(model_->Texts().size()); }
    QString List(int index) const { return model_->Line(index); }
    QStringList Items() const { return model_->Lines(); }
    int ListIndex() const;
    void SetListIndex(int index); // -1 selects nothing
    QString Text() const;         // the selected entry, or empty text

signals:
    void Click();    // the user chose an entry
    void DblClick(); // the user double-clicked an entry
    void KeyDown(int key);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void SelectionChanged(const QItemSelection& selected);
    ListModel* model_;
    int programChanges_ = 0;         // > 0 while the program changes the list or its selection
    bool changedSincePress_ = false; // the last mouse press changed the selection
};

class ComboList : public QComboBox {
    Q_OBJECT
public:
    explicit ComboList(QWidget* parent = nullptr);
    void AddItem(const QString& text) { model_->Append(text); }
    void AddItems(const QStringList& texts) { model_->Append(texts); }
    void Reserve(int count) { model_->Reserve(count); }
    void RemoveItem(int index) { model_->Remove(index); }
    void Clear();
    void Assign(const QStringList& texts) { model_->Assign(texts); }
    int ListCount() const { return static_cast<int>(model_->Texts().size()); }
    const QString& List(int index) const { return model_->Texts().at(index); }
    const QStringList& Items() const { return model_->Texts(); }
    void SetListIndex(int index); // -1 selects nothing and empties the edit field
    QString Text() const { return currentText(); }

private:
    ListModel* model_;
};
