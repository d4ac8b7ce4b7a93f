// In-memory lists that stand where the main window keeps hidden list boxes used as arrays.
// Invariant of a HiddenList: -1 <= ListIndex < ListCount().
#pragma once

#include "core/Decimal.h"

#include <QCollator>
#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

class HiddenList {
public:
    void AddItem(const QString& item) { items_.append(item); }
    void Reserve(int count) { items_.reserve(count); }
    void RemoveItem(int index) {
        items_.removeAt(index);
        if (listIndex_ >= items_.size())
            listIndex_ = static_cast<int>(items_.size()) - 1;
    }
    void Clear() {
        items_.clear();
        listIndex_ = -1;
    }
    int ListCount() const { return static_cast<int>(items_.size()); }
    const QString& List(int index) const { return items_.at(index); }
    int ListIndex() const { return listIndex_; }
    void SetListIndex(int index) { listIndex_ = index >= -1 && index < ListCount() ? index : -1; }
    // The selected entry's text, or empty text when none is selected.
    QString Text() const { return listIndex_ >= 0 ? items_.at(listIndex_) : QString(); }
    const QStringList& Items() const { return items_; }

private:
    QStringList items_;
    int listIndex_ = -1;
};

// A list that keeps its entries sorted. Identical entries always stand together; entries that
// differ but compare equal (such as "Beta" and "beta" without regard to case) are ordered by
// their characters, so the order never depends on the order of adding. Sorting is done lazily,
// at the first read after additions, over the distinct entries only.
class SortedList {
public:
    enum class Order {
        // Alphabetical without regard to case, in the language of `locale`. The texts are case
        // folded before collation: some collators (the "C" locale's) ignore the case setting.
        Collated,
        CountThenText, // keys that start with a count: by the count as a number, then the text
    };
    explicit SortedList(Order order, const QLocale& locale = QLocale()) : order_(order) {
        if (order == Order::Collated) {
            collator_ = std::make_shared<QCollator>(locale);
            collator_->setCaseSensitivity(Qt::CaseInsensitive);
        }
    }

    void AddItem(const QString& item) {
        items_.append(item);
        sorted_ = false;
    }
    void Reserve(int count) { items_.reserve(count); }
    void Clear() {
        items_.clear();
        sorted_ = true;
    }
    int ListCount() const { return static_cast<int>(items_.size()); }
    const QString& List(int index) const { return Sorted().at(index); }
    const QStringList& Items() const { return Sorted(); }

    // For sorted list boxes: alphabetical without regard to case, in the user's language.
    using Less = std::function<bool(const QString&, const QString&)>;
    static Less CaseInsensitiveCollation(const QLocale& locale = QLocale()) {
        auto collator = std::make_shared<QCollator>(locale);
        collator->setCaseSensitivity(Qt::CaseInsensitive);
        return [collator](const QString& a, const QString& b) {
            const int order = collator->compare(a, b);
            return order != 0 ? order < 0 : a < b;
        };
    }
    // The order of distinct texts in a Collated list, as indexes into `texts`.
    std::vector<int> CollatedOrder(const QStringList& texts) const {
        std::vector<QCollatorSortKey> keys;
        keys.reserve(static_cast<size_t>(texts.size()));
        for (const QString& text : texts)
            keys.push_back(collator_->sortKey(text.toCaseFolded()));
        std::vector<int> order(static_cast<size_t>(texts.size()));
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = static_cast<int>(i);
        std::sort(order.begin(), order.end(), [&](int a, int b) {
            const int c = keys[static_cast<size_t>(a)].compare(keys[static_cast<size_t>(b)]);
            return c != 0 ? c < 0 : CharacterLess(texts[a], texts[b]);
        });
        return order;
    }
    // Fills the list with entries already in its order (the caller sorted them with
    // CollatedOrder): nothing is sorted again.
    void AssignSorted(QStringList items) {
        items_ = std::move(items);
        sorted_ = true;
    }
    static long long LeadingCount(const QString& key) {
        long long count = 0;
        for (const QChar c : key) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                break;
            count = count * 10 + (c.unicode() - '0');
        }
        return count;
    }

private:
    const QStringList& Sorted() const {
        if (!sorted_) {
            if (order_ == Order::Collated)
                SortCollated();
            else
                SortByCount();
            sorted_ = true;
        }
        return items_;
    }

    // Collation is costly: the distinct texts are ordered once each, by their collation keys.
    void SortCollated() const {
        // Identical texts together first (a cheap character order), then one entry per text.
        std::sort(items_.begin(), items_.end(), CharacterLess);
        QStringList texts;
        std::vector<int> counts;
        for (const QString& item : items_) {
            if (!texts.isEmpty() && texts.constLast() == item) {
                ++counts.back();
                continue;
            }
            texts.append(item);
            counts.push_back(1);
        }
        QStringList ordered;
        ordered.reserve(items_.size());
        for (int i : CollatedOrder(texts))
            for (int n = counts[static_cast<size_t>(i)]; n > 0; --n)
                ordered.append(texts[i]);
        items_ = std::move(ordered);
    }

    // The order is total and cheap, so identical keys end up together by themselves.
    void SortByCount() const {
        std::vector<std::pair<long long, int>> order;
        order.reserve(static_cast<size_t>(items_.size()));
        for (qsizetype i = 0; i < items_.size(); ++i)
            order.emplace_back(LeadingCount(items_[i]), static_cast<int>(i));
        std::sort(order.begin(), order.end(), [&](const auto& x, const auto& y) {
            return x.first != y.first ? x.first < y.first
                                      : CharacterLess(items_[x.second], items_[y.second]);
        });
        QStringList ordered;
        ordered.reserve(items_.size());
        for (const auto& entry : order)
            ordered.append(items_[entry.second]);
        items_ = std::move(ordered);
    }

    Order order_;
    std::shared_ptr<QCollator> collator_;
    mutable QStringList items_;
    mutable bool sorted_ = true;
};
