// Registration table of the network commands (mail, FTP, HTTP, TCP, DDE, network enumeration).
#include "commands/network.h"
#include "commands/network_tcp.h"

#include "commands/network_internal.h"

#include <iterator>

namespace tama {

static const TCommandDef kDefs[] = {
    {"メール送信", "", kCmdMailSoushin, netcmd::MailSoushin},
    {"メール受信", "?へ", kCmdMailJushin, netcmd::MailJushin},
    {"DDE送信", "?の,?に,?を", kCmdDdeSoushin, net::DdeSoushin},
    {"DDEサーバー作成", "?を呼ぶ,?という", kCmdDdeServerSakusei, net::DdeServerSakusei},
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
    {"ネットワークコンピューター列挙", "?の", kCmdNetworkComputerRekkyo, net::NetworkRekkyo},
    {"共有フォルダ列挙", "?の", kCmdKyouyuuFolderRekkyo, net::NetworkRekkyo},
    {"TCP接続", "?へ", kCmdTcpSetsuzoku, net::TcpSetsuzoku},
    {"TCP切断", "", kCmdTcpSetsudan, net::TcpSetsudan},
    {"TCP接続状態", "", kCmdTcpSetsuzokuJoutai, net::TcpSetsuzokuJoutai},
    {"TCP送信", "?を", kCmdTcpSoushin, net::TcpSoushin},
    {"TCP受信処理設定", "?に", kCmdTcpJushinShoriSettei, net::TcpShoriSettei},
    {"TCPサーバー起動", "", kCmdTcpServerKidou, net::TcpServerKidou},
    {"TCPサーバー終了", "", kCmdTcpServerShuuryou, net::TcpServerShuuryou},
    {"TCPサーバー接続先列挙", "", kCmdTcpServerSetsuzokusakiRekkyo, net::TcpServerSetsuzokusakiRekkyo},
    {"TCPサーバーから送信", "?へ,?を", kCmdTcpServerKaraSoushin, net::TcpServerKaraSoushin},
    {"TCPサーバー受信処理設定", "?に", kCmdTcpServerJushinShoriSettei, net::TcpShoriSettei},
    {"ユーザー名取得", "", kCmdUserMeiShutoku, net::UserMeiShutoku},
    {"コンピューター名取得", "", kCmdComputerMeiShutoku, net::ComputerMeiShutoku},
    {"IPアドレス取得", "?の", kCmdIpAddressShutoku, net::IpAddressShutoku},
    {"ネットワークコンピューター列挙ドメイン付き", "?の", kCmdNetworkComputerRekkyoDomainTsuki, net::NetworkRekkyo},
    {"TCPサーバー接続処理設定", "?に", kCmdTcpServerSetsuzokuShoriSettei, net::TcpShoriSettei},
    {"ネットワークドメイン列挙", "", kCmdNetworkDomainRekkyo, net::NetworkRekkyo},
    {"TCPサーバーから切断", "?を", kCmdTcpServerKaraSetsudan, net::TcpServerKaraSetsudan},
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
