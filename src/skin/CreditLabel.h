// The author credit "Tobrinvale": underlined while the mouse is over it (the window's restore
// removes the underline), and a click opens the maker's home page in the desktop's browser.
#pragma once

#include <QLabel>
#include <QUrl>

#include <functional>

class CreditLabel : public QLabel {
    Q_OBJECT
public:
    CreditLabel(QWidget* parent, const QRect& twips);

    static QUrl HomePage();
    void SetUnderline(bool on);
    bool Underlined() const { return font().underline(); }

    // Opens an address; the desktop's browser by default, a recorder in tests. Whether a browser
    // opened is not examined.
    std::function<void(const QUrl&)> open;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
