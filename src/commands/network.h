// Command ids of the network commands (mail, FTP, HTTP, TCP, DDE, network enumeration).
// Handlers switch on these; the aliases of a command share its id.
#pragma once
#include "engine/command.h"

namespace tama {

enum NetworkId : int {
  kCmdMailSoushin = 1300,                      // メール送信
  kCmdMailJushin = 1301,                       // メール受信
  kCmdDdeSoushin = 1302,                       // DDE送信
  kCmdDdeServerSakusei = 1303,                 // DDEサーバー作成
  kCmdFtpSetsuzoku = 1304,                     // FTP接続
  kCmdFtpUpload = 1305,                        // FTPアップロード
  kCmdFtpDownload = 1306,                      // FTPダウンロード
  kCmdFtpSetsudan = 1307,                      // FTP切断
  kCmdHttpDownload = 1308,                     // HTTPダウンロード
  kCmdFtpTensouMode = 1309,                    // FTP転送モード
  kCmdFtpSagyouFolder = 1310,                  // FTP作業フォルダ
  kCmdFtpFileSakujo = 1311,                    // FTPファイル削除
  kCmdFtpFolderSakujo = 1312,                  // FTPフォルダ削除
  kCmdFtpFileRekkyo = 1313,                    // FTPファイル列挙
  kCmdFtpFolderRekkyo = 1314,                  // FTPフォルダ列挙
  kCmdFtpFolderSakusei = 1315,                 // FTPフォルダ作成
  kCmdNetworkComputerRekkyo = 1316,            // ネットワークコンピューター列挙
  kCmdKyouyuuFolderRekkyo = 1317,              // 共有フォルダ列挙
  kCmdTcpSetsuzoku = 1318,                     // TCP接続
  kCmdTcpSetsudan = 1319,                      // TCP切断
  kCmdTcpSetsuzokuJoutai = 1320,               // TCP接続状態
  kCmdTcpSoushin = 1321,                       // TCP送信
  kCmdTcpJushinShoriSettei = 1322,             // TCP受信処理設定
  kCmdTcpServerKidou = 1323,                   // TCPサーバー起動
  kCmdTcpServerShuuryou = 1324,                // TCPサーバー終了
  kCmdTcpServerSetsuzokusakiRekkyo = 1325,     // TCPサーバー接続先列挙
  kCmdTcpServerKaraSoushin = 1326,             // TCPサーバーから送信
  kCmdTcpServerJushinShoriSettei = 1327,       // TCPサーバー受信処理設定
  kCmdUserMeiShutoku = 1328,                   // ユーザー名取得
  kCmdComputerMeiShutoku = 1329,               // コンピューター名取得
  kCmdIpAddressShutoku = 1330,                 // IPアドレス取得
  kCmdNetworkComputerRekkyoDomainTsuki = 1331, // ネットワークコンピューター列挙ドメイン付き
  kCmdTcpServerSetsuzokuShoriSettei = 1332,    // TCPサーバー接続処理設定
  kCmdNetworkDomainRekkyo = 1333,              // ネットワークドメイン列挙
  kCmdTcpServerKaraSetsudan = 1334,            // TCPサーバーから切断
  kCmdFtpFileZokuseiHenkou = 1335,             // FTPファイル属性変更
  kCmdFtpOyaFolderIdou = 1336,                 // FTP親フォルダ移動
  kCmdFtpFileJouhou = 1337,                    // FTPファイル情報
  kCmdFtpFilemeiHenkou = 1338,                 // FTPファイル名変更
  kCmdMbxMessageShutoku = 1339,                // MBXメッセージ取得
  kCmdHttpPost = 1340,                         // HTTPポスト
};

// The registration table of this family.
const TCommandFamily& NetworkFamily();

}  // namespace tama
