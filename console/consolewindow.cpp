#include "consolewindow.h"

#include "announcer.h"
#include "chatpane.h"
#include "emptyonclick.h"
#include "fixedwindow.h"
#include "guard.h"
#include "hostaddresses.h"
#include "statusclock.h"
#include "ui_consolewindow.h"
#include "websearch.h"
#include "wording.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QIdentityProxyModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace console {

namespace wording = uisupport::wording;
namespace {

constexpr QPoint kFramePosition(196, 67);
constexpr int kClockIntervalMs = 1000;
constexpr int kAddressRefreshMs = 3000;

// Entries the operator adds get an icon of their own, unlike any role; selected, every entry
// shows the first role icon, as the presets do.
QIcon friendIcon()
{
    QIcon icon(u":/halcyra/roles/friend.png"_s);
    icon.addFile(u":/halcyra/roles/role00.png"_s, QSize(), QIcon::Selected);
    return icon;
}

// Swallows the right button on an item view's viewport: the context menu still comes, from the
// ContextMenu event, and the selection it acts on stays as it was.
class RightClickKeepsSelection : public QObject
{
public:
    explicit RightClickKeepsSelection(QWidget &viewport) : QObject(&viewport)
    {
        viewport.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        const auto type = event->type();
        return (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
                type == QEvent::MouseButtonDblClick) &&
               static_cast<QMouseEvent *>(event)->button() == Qt::RightButton;
    }
};

// Opens a widget's context menu from the keyboard: the Menu key and Shift+F10.
class MenuKeys : public QObject
{
public:
    MenuKeys(QWidget &widget, std::function<void()> open)
        : QObject(&widget), m_open(std::move(open))
    {
        widget.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Menu &&
            !(key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier))
            return false;
        m_open();
        return true;
    }

private:
    std::function<void()> m_open;
};

// The client list's rows as the operator sees them: each client's address, and as its tooltip and
// the description screen readers read, when it connected and the name it gave last.
class ClientDescriptions : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::ToolTipRole && role != Qt::AccessibleDescriptionRole)
            return QIdentityProxyModel::data(index, role);
        using server::ClientModel;
        return wording::clientDetails(index.data(ClientModel::ConnectedAtRole).toDateTime(),
                                      index.data(ClientModel::LatestNameRole).toString());
    }
};

} // namespace

ConsoleWindow::ConsoleWindow(server::ChatRouter &router, QWidget *parent)
    : QWidget(parent, uisupport::kFixedDialogFrame), m_router(router),
      m_ui(std::make_unique<Ui::ConsoleWindow>()), m_clock(this),
      m_openUrl([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
    m_ui->setupUi(this);
    uisupport::fixWindow(*this, kFramePosition);
    m_chat = new chatlog::ChatPane(*this, *m_ui->chatLog, *m_ui->chatEntry, wording::sendRefused);

    // Panels of fixed widths; the last, the time, takes the rest of the bar.
    const auto addPanel = [this](const QString &name, int width) {
        auto *panel = new QLabel(m_ui->statusBar);
        panel->setObjectName(name);
        if (width > 0)
            panel->setFixedWidth(width);
        m_ui->statusBar->addWidget(panel, width > 0 ? 0 : 1);
        return panel;
    };
    m_versionPanel = addPanel(u"versionPanel"_s, 170);
    m_versionPanel->setText(wording::versionPanel);
    m_datePanel = addPanel(u"datePanel"_s, 100);
    m_timePanel = addPanel(u"timePanel"_s, 0);
    // In the version panel's place while the server does not listen.
    m_notListeningPanel = new QLabel(m_ui->statusBar);
    m_notListeningPanel->setObjectName(u"notListeningPanel"_s);
    m_notListeningPanel->setFixedWidth(100);
    m_notListeningPanel->setStyleSheet(u"color: #c00000"_s);
    m_retryListeningButton = new QPushButton(wording::retryListening, m_ui->statusBar);
    m_retryListeningButton->setObjectName(u"retryListeningButton"_s);
    m_retryListeningButton->setFixedWidth(66);
    m_ui->statusBar->insertWidget(0, m_notListeningPanel);
    m_ui->statusBar->insertWidget(1, m_retryListeningButton);
    m_notListeningPanel->hide();
    m_retryListeningButton->hide();
    connect(m_retryListeningButton, &QPushButton::clicked, this,
            &ConsoleWindow::listenRetryRequested);
    listClients();

    for (QLineEdit *field : {m_ui->nicknameField, m_ui->contactField, m_ui->searchField})
        uisupport::emptyOnClick(*field);
    for (QLineEdit *field : {m_ui->nicknameField, m_ui->contactField, m_ui->searchField})
        uisupport::reportFocusFirst(*field);
    uisupport::connectGuarded(m_ui->chatEntry, &QLineEdit::returnPressed, this,
                              &ConsoleWindow::enterPressed);
    uisupport::connectGuarded(m_ui->sendButton, &QPushButton::clicked, this,
                              &ConsoleWindow::sendClicked);
    connect(m_ui->composeButton, &QPushButton::clicked, this, &ConsoleWindow::composeRequested);
    uisupport::connectGuarded(m_ui->searchButton, &QPushButton::clicked, this,
                              &ConsoleWindow::searchClicked);

    m_contactMenu = new QMenu(this);
    m_contactMenu->setObjectName(u"contactMenu"_s);
    m_contactMenu->setAccessibleName(wording::contactMenuName);
    uisupport::connectGuarded(m_contactMenu->addAction(wording::addContact), &QAction::triggered,
                              this, &ConsoleWindow::addContact);
    uisupport::connectGuarded(m_contactMenu->addAction(wording::deleteContact), &QAction::triggered,
                              this, &ConsoleWindow::deleteContact);
    connect(m_ui->contactTree, &QWidget::customContextMenuRequested, this,
            &ConsoleWindow::popupContactMenu);
    // The menu acts on the selected entry: a right click opens it without selecting, and so do
    // the Menu key and Shift+F10.
    new RightClickKeepsSelection(*m_ui->contactTree->viewport());
    new MenuKeys(*m_ui->contactTree, [this] { popupContactMenuFromKeyboard(); });
    connect(qApp, &QApplication::focusChanged, this,
            [this, tree = m_ui->contactTree](QWidget *, QWidget *now) {
                if (now == tree) // after the tree's own focus event
                    QTimer::singleShot(0, this, &ConsoleWindow::tellCurrentContact);
            });

    // Precise: a coarse timer may come up to 5% of its interval late by design.
    m_clock.setObjectName(u"clockTimer"_s);
    m_clock.setTimerType(Qt::PreciseTimer);
    m_clock.setInterval(kClockIntervalMs);
    connect(&m_clock, &QTimer::timeout, this, &ConsoleWindow::updateClock);
    m_clock.start();
    updateClock();
}

ConsoleWindow::~ConsoleWindow() = default;

void ConsoleWindow::listClients()
{
    QListView &list = *m_ui->clientList;
    server::ClientModel &clients = m_router.clients();
    // Left alone, the view would make a neighbour of a removed current row current, and
    // selected, and the operator's next line would go to a student they never picked. Making a
    // row current also tells screen readers that it has the focus, so a list without the keyboard
    // focus keeps no current row: the operator hears of the list only while in it. Connected
    // before the view is, so that this runs first.
    connect(&clients, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [&list](const QModelIndex &, int first, int last) {
                const int current = list.currentIndex().row();
                if (!list.hasFocus() || (current >= first && current <= last))
                    list.selectionModel()->clearCurrentIndex();
            });
    auto *described = new ClientDescriptions(this);
    described->setSourceModel(&clients);
    list.setModel(described);

    m_addressHint = new QLabel(list.viewport());
    m_addressHint->setObjectName(u"addressHint"_s);
    m_addressHint->setWordWrap(true);
    m_addressHint->setAlignment(Qt::AlignCenter);
    m_addressHint->setTextInteractionFlags(Qt::TextSelectableByMouse);
    (new QVBoxLayout(list.viewport()))->addWidget(m_addressHint);
    m_clientListDescription = list.accessibleDescription();
    for (const auto rowsChanged :
         {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(&clients, rowsChanged, this, &ConsoleWindow::showAddresses);
    connect(&m_addressRefresh, &QTimer::timeout, this, &ConsoleWindow::showAddresses);
    m_addressRefresh.start(kAddressRefreshMs);
    showAddresses();
}

void ConsoleWindow::showAddresses()
{
    const QString addresses =
        wording::addressesForStudents(server::addressesForStudents(m_router.port()));
    const bool empty = m_router.clients().rowCount() == 0;
    m_addressHint->setVisible(empty);
    const QString description =
        empty ? m_clientListDescription + u". "_s + addresses : m_clientListDescription;
    // Screen readers are told of each change: only of a change.
    if (m_ui->clientList->accessibleDescription() != description)
        m_ui->clientList->setAccessibleDescription(description);
    if (m_addressHint->text() == addresses)
        return;
    m_addressHint->setText(addresses);
    m_versionPanel->setToolTip(addresses);
    m_versionPanel->setAccessibleDescription(addresses);
}

std::optional<server::ClientId> ConsoleWindow::selectedClient() const
{
    const QModelIndexList selected = m_ui->clientList->selectionModel()->selectedIndexes();
    return server::ClientModel::idAt(selected.isEmpty() ? QModelIndex() : selected.first());
}

void ConsoleWindow::sendClicked()
{
    if (!m_ui->directMode->isChecked() && !m_ui->fullSendMode->isChecked()) {
        uisupport::messageBox(wording::chooseChatMode);
        m_ui->chatEntry->clear();
        return;
    }
    const bool everyone = m_ui->fullSendMode->isChecked();
    m_chat->sendEntry(m_ui->nicknameField->text(), [this, everyone](const QString &line) {
        const QString name = m_ui->nicknameField->text();
        if (!everyone) {
            m_router.sendChatLine(selectedClient(), name, line);
        } else if (m_router.sendChatLineToEveryone(name, line) == 0) {
            uisupport::messageBox(wording::noClientConnected);
            return false;
        }
        return true;
    });
}

void ConsoleWindow::enterPressed()
{
    if (!m_router.isListening())
        return;
    m_chat->sendEntry(m_ui->nicknameField->text(), [this](const QString &line) {
        m_router.sendChatTextToEarliest(m_ui->nicknameField->text(), line);
        return true;
    });
}

void ConsoleWindow::searchClicked()
{
    const QUrl address = console::searchAddress(m_ui->searchField->text());
    if (!m_openUrl(address))
        uisupport::messageBox(wording::browserNotOpened(address.toString()));
}

void ConsoleWindow::addContact()
{
    auto *entry = new QTreeWidgetItem(QStringList{m_ui->contactField->text()});
    entry->setIcon(0, friendIcon());
    entry->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsEnabled);
    const QList<QTreeWidgetItem *> selected = m_ui->contactTree->selectedItems();
    QTreeWidgetItem *parent = selected.isEmpty() ? nullptr : selected.first()->parent();
    if (parent)
        parent->addChild(entry);
    else
        m_ui->contactTree->addTopLevelItem(entry);
}

void ConsoleWindow::deleteContact()
{
    const QList<QTreeWidgetItem *> selected = m_ui->contactTree->selectedItems();
    if (!selected.isEmpty())
        delete selected.first();
}

void ConsoleWindow::updateClock()
{
    const console::ClockTexts texts = console::clockTexts(QDateTime::currentDateTime());
    m_datePanel->setText(texts.date);
    m_timePanel->setText(texts.time);
}

void ConsoleWindow::confirmClient(server::ClientId id)
{
    uisupport::messageBox(wording::clientConnected, this,
                          [this, id] { m_router.clients().confirm(id); });
}

void ConsoleWindow::appendChatLine(const QString &line)
{
    m_chat->lineArrived(line);
}

void ConsoleWindow::noteMessage(const QString &message)
{
    m_chat->noteArrival(wording::messageSpoken(message));
}

void ConsoleWindow::setAttentionRequester(std::function<void(QWidget &)> request)
{
    m_chat->setAttentionRequester(std::move(request));
}

void ConsoleWindow::popupContactMenu(QPoint at)
{
    m_contactMenu->popup(m_ui->contactTree->viewport()->mapToGlobal(at));
}

void ConsoleWindow::popupContactMenuFromKeyboard()
{
    const QList<QTreeWidgetItem *> selected = m_ui->contactTree->selectedItems();
    popupContactMenu(selected.isEmpty()
                         ? QPoint(0, 0)
                         : m_ui->contactTree->visualItemRect(selected.first()).bottomLeft());
}

void ConsoleWindow::tellCurrentContact()
{
    // Screen readers hear of the tree when it takes the focus, but not of the entry the keys
    // will act on: making that entry current again, now that the tree has the focus, tells them.
    QTreeWidget &tree = *m_ui->contactTree;
    if (!tree.hasFocus())
        return;
    QTreeWidgetItem *entry = tree.currentItem();
    if (!entry)
        entry =
            tree.selectedItems().isEmpty() ? tree.topLevelItem(0) : tree.selectedItems().first();
    tree.selectionModel()->clearCurrentIndex();
    tree.setCurrentItem(entry, 0, QItemSelectionModel::NoUpdate);
}

void ConsoleWindow::reportConnectionFailure(server::ConnectionFailure failure, int code,
                                            const QString &reason)
{
    if (failure == server::ConnectionFailure::NetworkSetup)
        uisupport::messageBox(wording::networkSetupError);
    else
        uisupport::errorBox(wording::socketError(code, reason));
}

void ConsoleWindow::reportClientDropped(const QString &address)
{
    uisupport::messageBox(wording::clientDropped(address));
}

void ConsoleWindow::showListening()
{
    m_notListeningPanel->hide();
    m_retryListeningButton->hide();
    m_versionPanel->show();
    showAddresses();
}

void ConsoleWindow::showNotListening(quint16 port, const QString &reason)
{
    m_versionPanel->hide();
    m_notListeningPanel->setText(wording::notListeningPanel(port));
    m_notListeningPanel->setToolTip(reason);
    m_notListeningPanel->show();
    m_retryListeningButton->show();
    uisupport::errorBox(wording::portNotOpened(port, reason));
}

QString ConsoleWindow::contactName() const
{
    return m_ui->contactField->text();
}

void ConsoleWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        emit shown();
}

void ConsoleWindow::closeEvent(QCloseEvent *event)
{
    emit closing();
    QWidget::closeEvent(event);
}

} // namespace console
