#pragma once
// A captioned group of radio buttons with an item index; −1 marks no item.
#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

namespace varendo {

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent);

    int ItemIndex() const;
    // Marks an item, or none with −1, without raising Click.
    void SetItemIndex(int index);
    QRadioButton* button(int index) const;
    int count() const;

signals:
    // The learner chose another item.
    void Click();

private:
    QButtonGroup* group_;
};

} // namespace varendo
