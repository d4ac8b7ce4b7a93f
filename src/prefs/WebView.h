// The web views of the preferences window. A view does one thing: navigate to an address. The
// real views (Qt WebEngine) are drawn by a program of their own, started once the main window is
// up; tests put views in their place that only record where they were sent.
#pragma once

#include <QString>

class QWidget;

class WebView {
public:
    virtual ~WebView() = default;
    // Starts loading the page at `address` and returns at once; the page loads on its own.
    virtual void Navigate(const QString& address) = 0;
};

// Makes the views. Each view is a widget (a child of `parent`) and its navigate operation.
class WebViewMaker {
public:
    struct Made {
        QWidget* widget = nullptr;
        WebView* view = nullptr;
    };
    virtual ~WebViewMaker() = default;
    // A new view inside `parent`; an empty Made when none can be made.
    virtual Made Make(QWidget* parent) = 0;
};
