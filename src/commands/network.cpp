// Registration table of the network commands (mail, FTP, HTTP, TCP, DDE, network enumeration).
#include "commands/network.h"

#include <iterator>

namespace tama {

static const TCommandDef kDefs[] = {
    {"メール送信", "", kCmdMailSoushin, nullptr},
    {"メール受信", "?へ", kCmdMailJushin, nullptr},
    {"DDE送信", "?の,?に,?を", kCmdDdeSoushin, nullptr},
    {"DDEサーバー作成", "?を呼ぶ,?という", kCmdDdeServerSakusei, nullptr},
    {"FTP接続", "", kCmdFtpSetsuzoku, nullptr},
    {"FTPアップロード", "?を,?へ", kCmdFtpUpload, nullptr},
    {"FTPダウンロード", "?を,?へ", kCmdFtpDownload, nullptr},
    {"FTP切断", "", kCmdFtpSetsudan, nullptr},
    {"HTTPダウンロード", "?を,?へ", kCmdHttpDownload, nullptr},
    {"FTP転送モード", "?の", kCmdFtpTensouMode, nullptr},
    {"FTP作業フォルダ", "?へ", kCmdFtpSagyouFolder, nullptr},
    {"FTPファイル削除", "?の", kCmdFtpFileSakujo, nullptr},
    {"FTPフォルダ削除", "?の", kCmdFtpFolderSakujo, nullptr},
    {"FTPファイル列挙", "?の", kCmdFtpFileRekkyo, nullptr},
    {"FTPフォルダ列挙", "?の", kCmdFtpFolderRekkyo, nullptr},
    {"FTPフォルダ作成", "?の", kCmdFtpFolderSakusei, nullptr},
    {"ネットワークコンピューター列挙", "?の", kCmdNetworkComputerRekkyo, nullptr},
    {"共有フォルダ列挙", "?の", kCmdKyouyuuFolderRekkyo, nullptr},
    {"TCP接続", "?へ", kCmdTcpSetsuzoku, nullptr},
    {"TCP切断", "", kCmdTcpSetsudan, nullptr},
    {"TCP接続状態", "", kCmdTcpSetsuzokuJoutai, nullptr},
    {"TCP送信", "?を", kCmdTcpSoushin, nullptr},
    {"TCP受信処理設定", "?に", kCmdTcpJushinShoriSettei, nullptr},
    {"TCPサーバー起動", "", kCmdTcpServerKidou, nullptr},
    {"TCPサーバー終了", "", kCmdTcpServerShuuryou, nullptr},
    {"TCPサーバー接続先列挙", "", kCmdTcpServerSetsuzokusakiRekkyo, nullptr},
    {"TCPサーバーから送信", "?へ,?を", kCmdTcpServerKaraSoushin, nullptr},
    {"TCPサーバー受信処理設定", "?に", kCmdTcpServerJushinShoriSettei, nullptr},
    {"ユーザー名取得", "", kCmdUserMeiShutoku, nullptr},
    {"コンピューター名取得", "", kCmdComputerMeiShutoku, nullptr},
    {"IPアドレス取得", "?の", kCmdIpAddressShutoku, nullptr},
    {"ネットワークコンピューター列挙ドメイン付き", "?の", kCmdNetworkComputerRekkyoDomainTsuki, nullptr},
    {"TCPサーバー接続処理設定", "?に", kCmdTcpServerSetsuzokuShoriSettei, nullptr},
    {"ネットワークドメイン列挙", "", kCmdNetworkDomainRekkyo, nullptr},
    {"TCPサーバーから切断", "?を", kCmdTcpServerKaraSetsudan, nullptr},
    {"FTPファイル属性変更", "?を,?に", kCmdFtpFileZokuseiHenkou, nullptr},
    {"FTP親フォルダ移動", "", kCmdFtpOyaFolderIdou, nullptr},
    {"FTPファイル情報", "?の", kCmdFtpFileJouhou, nullptr},
    {"FTPファイル名変更", "?から,?へ", kCmdFtpFilemeiHenkou, nullptr},
    {"MBXメッセージ取得", "?から", kCmdMbxMessageShutoku, nullptr},
    {"HTTPポスト", "?を,?へ", kCmdHttpPost, nullptr},
};

static const TCommandFamily kFamily = {"network", kDefs, std::size(kDefs)};

const TCommandFamily& NetworkFamily() { return kFamily; }

}  // namespace tama
