#include "editor/textures/TexturesPane.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "editor/textures/TextureStrings.h"

namespace qm4edit {

namespace {

constexpr int kThumbnailSize = 32;

} // namespace

CTexturesPane::CTexturesPane(QWidget* parent) : QDockWidget(QString(TEXTURES_PANE_TITLE), parent)
{
    setObjectName("TexturesPane");
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(2, 2, 2, 2);

    m_pList = new QTreeWidget(body);
    m_pList->setObjectName("TextureList");
    m_pList->setColumnCount(2);
    m_pList->setHeaderLabels({QString(TEXTURES_COLUMN_NAME), QString(TEXTURES_COLUMN_USES)});
    m_pList->setRootIsDecorated(false);
    m_pList->setUniformRowHeights(true);
    m_pList->setIconSize(QSize(kThumbnailSize, kThumbnailSize));
    m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pList->setContextMenuPolicy(Qt::CustomContextMenu);
    m_pList->header()->setStretchLastSection(false);
    m_pList->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_pList->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_pList->installEventFilter(this);
    layout->addWidget(m_pList, 1);

    auto* buttons = new QGridLayout;
    m_pSelectUsing = new QPushButton(QString(TEXTURES_SELECT_USING), body);
    m_pRename = new QPushButton(QString(TEXTURES_RENAME), body);
    m_pAdd = new QPushButton(QString(TEXTURES_ADD), body);
    m_pRemove = new QPushButton(QString(TEXTURES_REMOVE), body);
    buttons->addWidget(m_pSelectUsing, 0, 0, 1, 3);
    buttons->addWidget(m_pRename, 1, 0);
    buttons->addWidget(m_pAdd, 1, 1);
    buttons->addWidget(m_pRemove, 1, 2);
    layout->addLayout(buttons);
    setWidget(body);

    m_popupRunner = [](QMenu& menu, const QPoint& globalPos) { return menu.exec(globalPos); };
    connect(m_pList, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item && m_bCanAssign)
            emit AssignRequested(m_pList->indexOfTopLevelItem(item));
    });
    connect(m_pList, &QTreeWidget::currentItemChanged, this, &CTexturesPane::UpdateButtons);
    connect(m_pList, &QWidget::customContextMenuRequested, this, &CTexturesPane::RunContextMenu);
    connect(m_pSelectUsing, &QPushButton::clicked, this, [this] { emit SelectFacesUsingRequested(CurrentTexture()); });
    connect(m_pRename, &QPushButton::clicked, this, [this] { emit RenameRequested(CurrentTexture()); });
    connect(m_pAdd, &QPushButton::clicked, this, [this] { emit AddRequested(); });
    connect(m_pRemove, &QPushButton::clicked, this, [this] { emit RemoveRequested(CurrentTexture()); });
    UpdateButtons();
}

void CTexturesPane::SetRows(const std::vector<Row>& rows)
{
    const int current = CurrentTexture();
    m_uses.clear();
    // Existing rows are rewritten in place, so the list keeps its scroll position.
    while (m_pList->topLevelItemCount() > static_cast<int>(rows.size()))
        delete m_pList->takeTopLevelItem(m_pList->topLevelItemCount() - 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        QTreeWidgetItem* item = m_pList->topLevelItem(static_cast<int>(i));
        if (!item)
            item = new QTreeWidgetItem(m_pList);
        item->setIcon(0, QIcon(QPixmap::fromImage(rows[i].thumbnail)));
        item->setText(0, rows[i].name);
        item->setText(1, QString::number(rows[i].uses));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        m_uses.push_back(rows[i].uses);
    }
    if (current >= 0 && current < static_cast<int>(rows.size()))
        SetCurrentTexture(current);
    UpdateButtons();
}

int CTexturesPane::RowCount() const
{
    return m_pList->topLevelItemCount();
}

int CTexturesPane::CurrentTexture() const
{
    QTreeWidgetItem* item = m_pList->currentItem();
    return item ? m_pList->indexOfTopLevelItem(item) : -1;
}

void CTexturesPane::SetCurrentTexture(int texture)
{
    m_pList->setCurrentItem(texture >= 0 ? m_pList->topLevelItem(texture) : nullptr);
    UpdateButtons();
}

void CTexturesPane::SetState(bool canAssign, bool loaded)
{
    m_bCanAssign = canAssign;
    m_bLoaded = loaded;
    UpdateButtons();
}

void CTexturesPane::UpdateButtons()
{
    const int current = CurrentTexture();
    const bool some = current >= 0;
    m_pSelectUsing->setEnabled(some);
    m_pRename->setEnabled(some);
    m_pAdd->setEnabled(m_bLoaded);
    // Only a name no polygon uses can go: the others' polygons would lose their texture.
    m_pRemove->setEnabled(some && static_cast<std::size_t>(current) < m_uses.size() &&
                          m_uses[static_cast<std::size_t>(current)] == 0);
}

bool CTexturesPane::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pList && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (m_bCanAssign && CurrentTexture() >= 0)
                emit AssignRequested(CurrentTexture());
            return true;
        }
    }
    return QDockWidget::eventFilter(watched, event);
}

void CTexturesPane::RunContextMenu(const QPoint& point)
{
    QTreeWidgetItem* item = m_pList->itemAt(point);
    if (item)
        m_pList->setCurrentItem(item);
    const int texture = CurrentTexture();
    QMenu menu(this);
    QAction* assign = menu.addAction(QString(TEXTURES_ASSIGN));
    assign->setEnabled(texture >= 0 && m_bCanAssign);
    menu.addSeparator();
    QAction* selectUsing = menu.addAction(QString(TEXTURES_MENU_SELECT_USING));
    selectUsing->setEnabled(m_pSelectUsing->isEnabled());
    QAction* rename = menu.addAction(QString(TEXTURES_MENU_RENAME));
    rename->setEnabled(m_pRename->isEnabled());
    QAction* add = menu.addAction(QString(TEXTURES_MENU_ADD));
    add->setEnabled(m_pAdd->isEnabled());
    QAction* remove = menu.addAction(QString(TEXTURES_MENU_REMOVE));
    remove->setEnabled(m_pRemove->isEnabled());
    QAction* chosen = m_popupRunner(menu, m_pList->viewport()->mapToGlobal(point));
    if (chosen == assign)
        emit AssignRequested(texture);
    else if (chosen == selectUsing)
        emit SelectFacesUsingRequested(texture);
    else if (chosen == rename)
        emit RenameRequested(texture);
    else if (chosen == add)
        emit AddRequested();
    else if (chosen == remove)
        emit RemoveRequested(texture);
}

} // namespace qm4edit
