// The manual operation window: jogging, reference travel, positioning and
// resets by hand. It has no traffic of its own; everything goes through the
// main window's queue.
#pragma once

#include <QWidget>

#include <array>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TForm1;

class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(TForm1 *form1);

    QPushButton *Button4 = nullptr, *Button6 = nullptr, *Button7 = nullptr, *Button8 = nullptr,
                *Button9 = nullptr, *Button11 = nullptr, *Button13 = nullptr, *Button14 = nullptr;
    QLabel *Label4 = nullptr, *Label6 = nullptr, *Label7 = nullptr, *Label8 = nullptr, *Label9 = nullptr,
           *Label10 = nullptr, *Label11 = nullptr, *Label12 = nullptr, *Label13 = nullptr,
           *Label14 = nullptr, *Label15 = nullptr, *Label16 = nullptr, *Referenzfahren = nullptr;
    std::array<QLineEdit *, 10> Edit {}; // [1..9]
    QComboBox *ComboBox1 = nullptr;      // drive address, shown with several drives
    QLabel *Label31 = nullptr;           // its caption

    std::vector<QLineEdit *> edits() const;

protected:
    bool event(QEvent *event) override;

private:
    TForm1 *m_form1;
};
