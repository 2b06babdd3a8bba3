#include "app/FolderInstance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

namespace {

constexpr std::size_t kHeaderSize = kHandOverMagic.size() + 4;
// How long one look at the lock waits for it to be given up.
constexpr std::chrono::milliseconds kLockLook{50};

int RemainingMs(const QDeadlineTimer& deadline) {
  return static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0));
}

}  // namespace

std::string EncodeHandOver(std::string_view path) {
  std::string bytes(kHandOverMagic);
  const auto size = static_cast<std::uint32_t>(path.size());
  for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<char>(size >> shift));
  bytes.append(path);
  return bytes;
}

THandOverReader::TState THandOverReader::Add(std::string_view bytes) {
  if (state_ != TState::kIncomplete) {
    if (!bytes.empty()) state_ = TState::kInvalid;
    return state_;
  }
  buffer_.append(bytes);
  const std::size_t magic = std::min(buffer_.size(), kHandOverMagic.size());
  if (buffer_.compare(0, magic, kHandOverMagic, 0, magic) != 0) return state_ = TState::kInvalid;
  if (buffer_.size() < kHeaderSize) return state_;
  std::size_t size = 0;
  for (std::size_t i = kHandOverMagic.size(); i < kHeaderSize; ++i)
    size = size << 8 | static_cast<unsigned char>(buffer_[i]);
  if (size > kHandOverMaxPath || buffer_.size() > kHeaderSize + size)
    return state_ = TState::kInvalid;
  if (buffer_.size() < kHeaderSize + size) return state_;
  path_ = buffer_.substr(kHeaderSize);
  buffer_.clear();
  return state_ = TState::kComplete;
}

std::string HandOverServerName(const std::string& program_folder) {
  std::error_code ec;
  std::string folder = std::filesystem::weakly_canonical(program_folder, ec).string();
  if (ec || folder.empty()) folder = program_folder;
  QCryptographicHash hash(QCryptographicHash::Sha256);
  hash.addData(QByteArray::number(static_cast<qulonglong>(getuid())) + '\n');
  hash.addData(QByteArrayView(folder.data(), static_cast<qsizetype>(folder.size())));
  return "velmora-" + hash.result().toHex().left(32).toStdString();
}

TFolderInstance::TFolderInstance(const std::string& program_folder)
    : server_name_(HandOverServerName(program_folder)),
      lock_(QFile::decodeName(QByteArray::fromStdString(
          (std::filesystem::path(program_folder) / kLockFile).string()))) {
  // A viewer stays open for days: only a lock whose process is gone is stale.
  lock_.setStaleLockTime(0);
}

TFolderInstance::~TFolderInstance() = default;

TFolderInstance::TStart TFolderInstance::Start(const std::string& path,
                                               std::chrono::milliseconds timeout) {
  const QDeadlineTimer deadline(timeout);
  for (;;) {
    if (lock_.tryLock(kLockLook)) {
      Listen();
      return TStart::kOwner;
    }
    // Without a lock file of our own (no permission, a full disk) an owner may still answer.
    const bool held = lock_.error() == QLockFile::LockFailedError;
    if (HandOver(path, std::chrono::milliseconds(RemainingMs(deadline))))
      return TStart::kHandedOver;
    if (!held || deadline.hasExpired()) return TStart::kNotWriting;
  }
}

bool TFolderInstance::HandOver(const std::string& path, std::chrono::milliseconds timeout) const {
  const QDeadlineTimer deadline(timeout);
  QLocalSocket socket;
  socket.connectToServer(QString::fromStdString(server_name_));
  if (!socket.waitForConnected(RemainingMs(deadline))) return false;
  const std::string request = EncodeHandOver(path);
  socket.write(request.data(), static_cast<qint64>(request.size()));
  while (socket.bytesToWrite() > 0)
    if (!socket.waitForBytesWritten(RemainingMs(deadline))) return false;
  while (socket.bytesAvailable() < 1)
    if (!socket.waitForReadyRead(RemainingMs(deadline))) return false;
  char answer = 0;
  return socket.getChar(&answer) && answer == kHandOverAccepted;
}

void TFolderInstance::Listen() {
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  const QString name = QString::fromStdString(server_name_);
  // A socket left behind by an owner that died; holding the lock makes the name ours.
  if (!server_->listen(name) && QLocalServer::removeServer(name)) server_->listen(name);
  QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      auto reader = std::make_shared<THandOverReader>();
      QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket, reader] {
        const QByteArray bytes = socket->readAll();
        const auto state = reader->Add(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        if (state == THandOverReader::TState::kInvalid) {
          socket->abort();
          socket->deleteLater();
        } else if (state == THandOverReader::TState::kComplete) {
          // Answered before the window acts: a message about the path must not keep the later
          // start waiting.
          const std::string path = reader->Path();
          socket->putChar(kHandOverAccepted);
          socket->flush();
          socket->disconnectFromServer();
          Receive(path);
        }
      });
    }
  });
}

void TFolderInstance::Receive(const std::string& path) {
  if (receiver_)
    receiver_(path);
  else
    pending_.push_back(path);
}

void TFolderInstance::SetReceiver(std::function<void(const std::string&)> receiver) {
  receiver_ = std::move(receiver);
  std::vector<std::string> pending;
  pending.swap(pending_);
  for (const std::string& path : pending) receiver_(path);
}

void TFolderInstance::StopListening() {
  if (server_) server_->close();
}
