#include "ui/radio_group.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace varendo {

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(0);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        // A click leaves the focus where it was: Space then goes to the window's own
        // keys (pause and play), not to the item just chosen.
        b->setFocusPolicy(Qt::TabFocus);
        group_->addButton(b, i);
        layout->addWidget(b);
    }
    // Only a change of item is a choice: the item already marked, clicked or given
    // Space again, changes nothing.
    connect(group_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            emit Click();
    });
}

int TRadioGroup::ItemIndex() const
{
    return group_->checkedId();
}

void TRadioGroup::SetItemIndex(int index)
{
    QSignalBlocker block(group_);
    if (index < 0 || index >= group_->buttons().size()) {
        // An exclusive group cannot be emptied directly.
        group_->setExclusive(false);
        for (auto* b : group_->buttons())
            b->setChecked(false);
        group_->setExclusive(true);
        return;
    }
    group_->button(index)->setChecked(true);
}

QRadioButton* TRadioGroup::button(int index) const
{
    return qobject_cast<QRadioButton*>(group_->button(index));
}

int TRadioGroup::count() const
{
    return int(group_->buttons().size());
}

} // namespace varendo
