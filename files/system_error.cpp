#include "files/system_error.h"

#include <cerrno>

namespace rinova::files {

QString systemErrorText(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("ディスクがいっぱいです");
    case EFBIG:
        return QStringLiteral("ファイルが大きすぎます");
    case EACCES:
    case EPERM:
        return QStringLiteral("権限がありません");
    case EROFS:
        return QStringLiteral("読み取り専用のファイルシステムです");
    case ENOENT:
        return QStringLiteral("ファイルまたはフォルダがありません");
    case ENOTDIR:
        return QStringLiteral("途中の名前がフォルダではありません");
    case EISDIR:
        return QStringLiteral("フォルダです");
    case EEXIST:
        return QStringLiteral("同じ名前のものがすでにあります");
    case ENOTEMPTY:
        return QStringLiteral("フォルダが空ではありません");
    case EIO:
    case EREMOTEIO:
        return QStringLiteral("入出力エラーが起きました");
    case ELOOP:
        return QStringLiteral("リンクが循環しています");
    case ENAMETOOLONG:
        return QStringLiteral("名前が長すぎます");
    case EBADF:
        return QStringLiteral("ファイルが開かれていません");
    case EINVAL:
        return QStringLiteral("指定が正しくありません");
    case EPIPE:
        return QStringLiteral("受け取る側が閉じられました");
    case ESPIPE:
        return QStringLiteral("位置を移せないファイルです");
    case ENOMEM:
        return QStringLiteral("メモリが不足しています");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("開いているファイルが多すぎます");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("使用中です");
    case EXDEV:
        return QStringLiteral("別のファイルシステムにあります");
    case ENXIO:
    case ENODEV:
        return QStringLiteral("装置がありません");
    case EAGAIN:
        return QStringLiteral("いまは使えません。しばらくしてからやり直してください");
    case EINTR:
        return QStringLiteral("中断されました");
    case EOVERFLOW:
        return QStringLiteral("値が大きすぎます");
    case EOPNOTSUPP:
        return QStringLiteral("この操作はできません");
    case EMLINK:
        return QStringLiteral("リンクが多すぎます");
    case ENOLCK:
        return QStringLiteral("ロックできません");
    case ESTALE:
        return QStringLiteral("ネットワーク上のファイルが見えなくなりました");
    case ETIMEDOUT:
        return QStringLiteral("時間切れになりました");
    case ECONNREFUSED:
        return QStringLiteral("接続を拒否されました");
    case ECONNRESET:
    case ECONNABORTED:
        return QStringLiteral("接続が切れました");
    case ENOTCONN:
        return QStringLiteral("接続されていません");
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ENETDOWN:
        return QStringLiteral("ネットワークに届きません");
    default:
        return QStringLiteral("システムのエラーが起きました (番号 %1)").arg(error);
    }
}

QString writeErrorText(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("書き込む権限がありません");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("フォルダがありません");
    default:
        return systemErrorText(error);
    }
}

} // namespace rinova::files
