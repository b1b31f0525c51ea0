// Shared pieces of the file commands (files.cpp, files_dirs.cpp,
// files_handles.cpp).
#pragma once
#include <string>
#include <string_view>

namespace tama {

class TTamaBase;

namespace files {

// "ファイル\"%s\"の、読み込みか書き込みに、失敗しました。"
std::string ReadWriteMessage(std::string_view name);
[[noreturn]] void RaiseReadWrite(TTamaBase& t, std::string_view name);
// A failure the command does not report as an error: a warning line in the log.
void NoteFailure(TTamaBase& t, std::string_view what, std::string_view name, std::string_view reason);
// A native name handed back to the program; a name without a Shift-JIS form
// is noted in the log.
std::string ProgramName(TTamaBase& t, std::string_view native);
// The whole file, byte for byte.
bool ReadWholeFile(const std::string& native, std::string& out);
// Creates or replaces the file with exactly these bytes (append: adds them
// to an existing file).
bool WriteWholeFile(const std::string& native, std::string_view bytes, bool append);
// Without blanks and control characters at both ends.
std::string Stripped(std::string_view s);

// ---- handlers ----
void Yomu(TTamaBase& t, int id);
void Kaku(TTamaBase& t, int id);
void TsuikaHozon(TTamaBase& t, int id);
void AngoukaShiteHozon(TTamaBase& t, int id);
void AngouKaijoShiteYomikomi(TTamaBase& t, int id);
void FileGousei(TTamaBase& t, int id);
void GouseiFileToridasu(TTamaBase& t, int id);
void KyouyuuHozon(TTamaBase& t, int id);
void KyouyuuYomikomi(TTamaBase& t, int id);

void FileCopy(TTamaBase& t, int id);
void FileSakujo(TTamaBase& t, int id);
void FileKanzenSakujo(TTamaBase& t, int id);
void FilemeiHenkou(TTamaBase& t, int id);
void FileIdou(TTamaBase& t, int id);
void FolderSakusei(TTamaBase& t, int id);
void FolderSakujo(TTamaBase& t, int id);
void FileZokuseiHenkou(TTamaBase& t, int id);
void ShortcutSakusei(TTamaBase& t, int id);
void SagyouFolderHenkou(TTamaBase& t, int id);
void SagyouFolder(TTamaBase& t, int id);
void Rekkyo(TTamaBase& t, int id);          // ファイル列挙, フォルダ列挙
void ZenRekkyo(TTamaBase& t, int id);       // 全ファイル列挙, 全フォルダ列挙
void FileKa(TTamaBase& t, int id);
void SonzaiSuruKa(TTamaBase& t, int id);
void FileZokuseiShutoku(TTamaBase& t, int id);
void FileNichijiSize(TTamaBase& t, int id);  // ファイル日時, ファイルサイズ
void MijikaiFilemei(TTamaBase& t, int id);
void NagaiFilemei(TTamaBase& t, int id);
void PathText(TTamaBase& t, int id);         // パス, ファイル名, 拡張子を切り出す
void KakuchoushiHenkou(TTamaBase& t, int id);

void HandleWoHiraku(TTamaBase& t, int id);   // ハンドルを開く, ハンドルを詳しく開く
void HandleWoIchigyouYomu(TTamaBase& t, int id);
void HandleHeIchigyouKaku(TTamaBase& t, int id);
void HandleWoTojiru(TTamaBase& t, int id);
void HandleSaigoKa(TTamaBase& t, int id);
void HandleIdou(TTamaBase& t, int id);       // 先頭に, 最後に移動
void HandleWoIdou(TTamaBase& t, int id);
void HandleNiBinaryWoKaku(TTamaBase& t, int id);
void HandleNiBinaryWoYomu(TTamaBase& t, int id);

}  // namespace files
}  // namespace tama
