// The handlers of the protocol commands of the network family (mail, HTTP,
// FTP), registered in network.cpp.
#pragma once
#include <string>
#include <string_view>

namespace tama {

class TTamaBase;

namespace netcmd {

void HttpDownload(TTamaBase& t, int id);
void HttpPost(TTamaBase& t, int id);

void MailSoushin(TTamaBase& t, int id);
void MailJushin(TTamaBase& t, int id);
void MbxMessageShutoku(TTamaBase& t, int id);

void FtpSetsuzoku(TTamaBase& t, int id);
void FtpSetsudan(TTamaBase& t, int id);
void FtpUpload(TTamaBase& t, int id);
void FtpDownload(TTamaBase& t, int id);
void FtpFilemeiHenkou(TTamaBase& t, int id);
void FtpTensouMode(TTamaBase& t, int id);
void FtpSagyouFolder(TTamaBase& t, int id);
void FtpOyaFolderIdou(TTamaBase& t, int id);
void FtpFolderSakusei(TTamaBase& t, int id);
void FtpFileSakujo(TTamaBase& t, int id);
void FtpFolderSakujo(TTamaBase& t, int id);
void FtpFileZokuseiHenkou(TTamaBase& t, int id);
void FtpFileRekkyo(TTamaBase& t, int id);
void FtpFolderRekkyo(TTamaBase& t, int id);
void FtpFileJouhou(TTamaBase& t, int id);

// Writes into a temporary file in the folder of `native` that replaces it
// once everything was written (Commit); the temporary file goes otherwise.
class TReplacingFile {
 public:
  explicit TReplacingFile(std::string native);
  ~TReplacingFile();
  bool Open();  // false: the folder takes no file
  int Fd() const { return fd_; }
  // false: the file could not be put in place (or, without `replace`, a
  // file of that name exists)
  bool Commit(bool replace = true);
  TReplacingFile(const TReplacingFile&) = delete;
  TReplacingFile& operator=(const TReplacingFile&) = delete;

 private:
  std::string native_, temp_;
  int fd_ = -1;
};

}  // namespace netcmd
}  // namespace tama
