#pragma once
// The window of a view: a parentless modeless dialog built from the view's table.
// Each control is a widget named by its id; the dialog copies what the view's
// controls hold into the widgets and forwards what the person does to the view.

#include <QDialog>
#include <QPointer>
#include <vector>

#include "display/core/PeripheralView.h"
#include "display/core/ViewRegistry.h"
#include "display/core/ViewWindow.h"

class QGridLayout;
class QHBoxLayout;
class QTabWidget;
class QVBoxLayout;

namespace kx6500disp {

class ViewDialog : public QDialog {
public:
    ViewDialog(PeripheralView& view, const ViewInfo& info, const ViewDescriptor& descriptor, WindowEvents events);
    // The view's controls into the widgets.
    void Pull();
    // From here on the dialog forwards nothing (its view is gone).
    void Detach() { view_ = nullptr; }
    bool InClose() const { return inClose_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    void reject() override { close(); }  // Escape closes the view like its close button

private:
    struct Container;
    void Build();
    QWidget* MakeWidget(std::size_t index);
    void Place(Container& area, std::size_t index, QWidget* widget);
    void PlaceInitially(const ViewDescriptor& descriptor);

    PeripheralView* view_;
    const ViewInfo& info_;
    WindowEvents events_;
    bool inClose_ = false;
    std::vector<QWidget*> widgets_;               // per control
    std::vector<std::vector<QWidget*>> companions_;  // per control: its caption and unit
};

class QtWindowFactory : public WindowFactory {
public:
    std::unique_ptr<ViewWindow> Create(PeripheralView& view, const ViewInfo& info, const ViewDescriptor& descriptor,
                                       WindowEvents events) override;
    void ReleaseAll() override;
    // A dialog closed from its own close button goes once its close is over.
    void DeleteLater(ViewDialog* dialog);

private:
    std::vector<QPointer<ViewDialog>> pending_;
};

}  // namespace kx6500disp
