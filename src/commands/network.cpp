// Registration table of the network commands (mail, FTP, HTTP, TCP, DDE, network enumeration).
#include "commands/network.h"

#include "commands/network_internal.h"

#include <iterator>

namespace tama {

static const TCommandDef kDefs[] = {
    {"メール送信", "", kCmdMailSoushin, netcmd::MailSoushin},
    {"メール受信", "?へ", kCmdMailJushin, netcmd::MailJushin},
    {"DDE送信", "?の,?に,?を", kCmdDdeSoushin, nullptr},
    {"DDEサーバー作成", "?を呼ぶ,?という", kCmdDdeServerSakusei, nullptr},
    {"FTP接続", "", kCmdFtpSetsuzoku, netcmd::FtpSetsuzoku},
    {"FTPアップロード", "?を,?へ", kCmdFtpUpload, netcmd::FtpUpload},
    {"FTPダウンロード", "?を,?へ", kCmdFtpDownload, netcmd::FtpDownload},
    {"FTP切断", "", kCmdFtpSetsudan, netcmd::FtpSetsudan},
    {"HTTPダウンロード", "?を,?へ", kCmdHttpDownload, netcmd::HttpDownload},
    {"FTP転送モード", "?の", kCmdFtpTensouMode, netcmd::FtpTensouMode},
    {"FTP作業フォルダ", "?へ", kCmdFtpSagyouFolder, netcmd::FtpSagyouFolder},
    {"FTPファイル削除", "?の", kCmdFtpFileSakujo, netcmd::FtpFileSakujo},
    {"FTPフォルダ削除", "?の", kCmdFtpFolderSakujo, netcmd::FtpFolderSakujo},
    {"FTPファイル列挙", "?の", kCmdFtpFileRekkyo, netcmd::FtpFileRekkyo},
    {"FTPフォルダ列挙", "?の", kCmdFtpFolderRekkyo, netcmd::FtpFolderRekkyo},
    {"FTPフォルダ作成", "?の", kCmdFtpFolderSakusei, netcmd::FtpFolderSakusei},
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
    {"FTPファイル属性変更", "?を,?に", kCmdFtpFileZokuseiHenkou, netcmd::FtpFileZokuseiHenkou},
    {"FTP親フォルダ移動", "", kCmdFtpOyaFolderIdou, netcmd::FtpOyaFolderIdou},
    {"FTPファイル情報", "?の", kCmdFtpFileJouhou, netcmd::FtpFileJouhou},
    {"FTPファイル名変更", "?から,?へ", kCmdFtpFilemeiHenkou, netcmd::FtpFilemeiHenkou},
    {"MBXメッセージ取得", "?から", kCmdMbxMessageShutoku, netcmd::MbxMessageShutoku},
    {"HTTPポスト", "?を,?へ", kCmdHttpPost, netcmd::HttpPost},
};

static const TCommandFamily kFamily = {"network", kDefs, std::size(kDefs)};

const TCommandFamily& NetworkFamily() { return kFamily; }

}  // namespace tama
