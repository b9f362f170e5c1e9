#include "studio/app/FrameRegisterWindow.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "studio/app/QtSeams.h"

namespace tessary {

namespace {
constexpr int kBits = 13;
}  // namespace

FrameRegisterWindow::FrameRegisterWindow(TessaryDocument& document, MessageSink& messages, QWidget* parent)
    : RegisterPane(parent), model_(document, messages) {
    setObjectName(QStringLiteral("CRegisterView"));
    auto* outer = new QVBoxLayout(this);
    auto* frames = new QGroupBox(QStringLiteral("Frames"), this);
    auto* grid = new QGridLayout(frames);
    boxes_.assign(kFrameCount, std::vector<QCheckBox*>(kBits, nullptr));
    for (int f = 0; f < kFrameCount; ++f) {
        const QChar letter = QLatin1Char(static_cast<char>('A' + f));
        const QString address = QString::number(f, 2).rightJustified(3, QLatin1Char('0'));
        grid->addWidget(new QLabel(QStringLiteral("Frame %1 (Address %2)").arg(letter).arg(address), frames), f, 0);
        for (int b = 0; b < kBits; ++b) {
            const int bit = kBits - 1 - b;
            auto* box = new QCheckBox(QStringLiteral("%1%2").arg(letter).arg(bit, 2, 10, QLatin1Char('0')), frames);
            box->setObjectName(box->text());
            connect(box, &QCheckBox::clicked, this, [this] {
                CopyIn();
                model_.OnBoxClicked();
                CopyOut();
            });
            boxes_[static_cast<std::size_t>(f)][static_cast<std::size_t>(b)] = box;
            grid->addWidget(box, f, 1 + b);
        }
        auto* word = new QLineEdit(frames);
        word->setReadOnly(true);
        word->setFixedWidth(60);
        word->setObjectName(QStringLiteral("Word%1").arg(letter));
        words_.push_back(word);
        grid->addWidget(word, f, 1 + kBits);
    }
    outer->addWidget(frames);
    auto* buttons = new QHBoxLayout;
    auto* update = new QPushButton(QStringLiteral("Update device"), this);
    update->setAutoDefault(false);
    connect(update, &QPushButton::clicked, this, &FrameRegisterWindow::UpdateDevice);
    buttons->addWidget(update);
    buttons->addStretch();
    outer->addLayout(buttons);
    outer->addStretch();
    Refresh();
}

QCheckBox* FrameRegisterWindow::Box(int frame, int bit) const {
    if (frame < 0 || frame >= kFrameCount || bit < 0 || bit >= kBits) return nullptr;
    return boxes_[static_cast<std::size_t>(frame)][static_cast<std::size_t>(kBits - 1 - bit)];
}

void FrameRegisterWindow::CopyIn() {
    for (std::size_t f = 0; f < boxes_.size(); ++f)
        for (std::size_t b = 0; b < boxes_[f].size(); ++b) model_.boxes[f][b] = boxes_[f][b]->isChecked() ? 1 : 0;
}

void FrameRegisterWindow::CopyOut() {
    for (std::size_t f = 0; f < boxes_.size(); ++f) {
        for (std::size_t b = 0; b < boxes_[f].size(); ++b) {
            QSignalBlocker block(boxes_[f][b]);
            boxes_[f][b]->setChecked(model_.boxes[f][b] != 0);
        }
        words_[f]->setText(Q(model_.Word(static_cast<int>(f))));
    }
}

void FrameRegisterWindow::UpdateDevice() {
    CopyIn();
    model_.UpdateDevice();
    model_.ShowFromRegisters();
    CopyOut();
}

void FrameRegisterWindow::LoadEep(std::span<const std::uint8_t> bytes) {
    model_.LoadEep(bytes);
    CopyOut();
}

void FrameRegisterWindow::Refresh() {
    model_.ShowFromRegisters();
    CopyOut();
}

}  // namespace tessary
