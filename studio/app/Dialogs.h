#pragma once
// "Device Setting", "Port Setting", the start-up picture and the contact box: windows
// over their models.

#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "common/MessageSink.h"
#include "studio/board/CPortDlg.h"
#include "studio/config/CDeviceDlg.h"

namespace tessary {

class DeviceDialog : public QDialog {
    Q_OBJECT
public:
    // available: whether a device's form exists; OK on one that does not says so.
    DeviceDialog(CDeviceDlg& model, DeviceSelectionHost& host, MessageSink& messages,
                 std::function<bool(DeviceKind)> available, QWidget* parent = nullptr);
    QComboBox* List() const { return list_; }
    QPushButton* OkButton() const { return ok_; }
    void Prepare();  // what opening does: preselect

private:
    void OnOk();

    CDeviceDlg& model_;
    DeviceSelectionHost& host_;
    MessageSink& messages_;
    std::function<bool(DeviceKind)> available_;
    QComboBox* list_;
    QPushButton* ok_;
};

class PortDialog : public QDialog {
    Q_OBJECT
public:
    PortDialog(CPortDlg& model, CRegister& registers, QWidget* parent = nullptr);
    QComboBox* List() const { return list_; }
    void Prepare();

private:
    CPortDlg& model_;
    CRegister& registers_;
    QComboBox* list_;
};

// The start-up picture: closes after 10 seconds or at any key or mouse button.
class CSplashWindow : public QWidget {
    Q_OBJECT
public:
    explicit CSplashWindow(QWidget* parent = nullptr);
    ~CSplashWindow() override;

signals:
    void Closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Finish();
    QTimer timer_;
    bool finished_ = false;
};

}  // namespace tessary
