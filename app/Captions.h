// Every text the dialog's windows show, in UTF-8; the Win32 dialog converts
// them to UTF-16.
#pragma once

namespace caption {
inline constexpr char kAppTitle[] = "t517－等距点Ｋ";   // the task-bar button
inline constexpr char kForm[] = "等距点Ｋ";
inline constexpr char kDistance[] = "分割距離";
inline constexpr char kUnit[] = "mm";
inline constexpr char kOk[] = "OK(&Y)";
inline constexpr char kCancel[] = "キャンセル(&N)";
inline constexpr char kStatusAtDesign[] = "Label3";  // cleared as the dialog is shown
inline constexpr char kCloseMessage[] = "閉じる";      // the button of a message box that has no other
}  // namespace caption

namespace status {
inline constexpr char kSearchingEnds[] = "端点を検索中です";
inline constexpr char kNoEnds[] = "端点が検索出来ませんでした";
inline constexpr char kSearchingStart[] = "分割開始点を検索中です";
inline constexpr char kNoStart[] = "分割開始点が検索出来ませんでした";
inline constexpr char kWalking[] = "連続線を検索中です[ESC:中断]";
inline constexpr char kTooManyPoints[] = "分割点が多すぎます";
inline constexpr char kOutOfMemory[] = "メモリが不足しています";
// The file was opened, but not read to its end: its selection is not walked.
inline constexpr char kReadCut[] = "受け渡しファイルを最後まで読めませんでした";
// The walk failed for a reason of its own, not for memory.
inline constexpr char kWalkFailed[] = "分割点を求められませんでした";
}  // namespace status

// The message boxes: at the close when the exchange file still holds the
// host's selection, and at the start when another program holds the file.
namespace message {
inline constexpr char kReplyNotPlaced[] =
    "結果をCADに渡せませんでした。\n\n"
    "ほかのプログラムが QZT_TEMP.TXT を使用中か、このフォルダーに書き込む権限がないため、"
    "ファイルを書き換えることも削除することもできませんでした。\n\n"
    "ファイルには選択した図形が残っています。CADがこの図形を図面にもう一度追加したときは、"
    "元に戻す操作で取り消してから、もう一度実行してください。";
// Told as the program starts, when another equidist started at the same
// time holds the exchange file; the file is left as it is.
inline constexpr char kAnotherInstance[] =
    "この QZT_TEMP.TXT は、同時に起動したもう一つの equidist が使用中です。\n\n"
    "ファイルには何も書き込まずに終了します。先に起動した方で操作を続けてください。";
}  // namespace message
