// Registration table of the network commands (mail, FTP, HTTP, TCP, DDE, network enumeration).
#include "commands/network.h"
#include "commands/network_tcp.h"

#include <iterator>

namespace tama {

static const TCommandDef kDefs[] = {
    {"メール送信", "", kCmdMailSoushin, nullptr},
    {"メール受信", "?へ", kCmdMailJushin, nullptr},
    {"DDE送信", "?の,?に,?を", kCmdDdeSoushin, net::DdeSoushin},
    {"DDEサーバー作成", "?を呼ぶ,?という", kCmdDdeServerSakusei, net::DdeServerSakusei},
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
