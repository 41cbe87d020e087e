// The texts the shell shows. The sources are UTF-8; the shipped build turns
// narrow literals into Shift-JIS.
#ifndef PIVOLA_SHELL_TEXTS_H
#define PIVOLA_SHELL_TEXTS_H

namespace pivola::text {

inline constexpr const char* quit = "終了しますか？";
inline constexpr const char* windowfailed = "ウィンドウの作成に失敗しました";
inline constexpr const char* cannotopenfmt = "%sを開けません";
inline constexpr const char* cannotopen = "ﾌｧｲﾙを開けません";
inline constexpr const char* cannotsave = "ﾌｧｲﾙを保存できません";
inline constexpr const char* pastefailed = "ｸﾘｯﾌﾟﾎﾞｰﾄﾞからの貼り付けに失敗しました";
inline constexpr const char* copyfailed = "ｸﾘｯﾌﾟﾎﾞｰﾄﾞへのｺﾋﾟｰに失敗しました";
inline constexpr const char* editslost = "現在編集中の内容は失われます。よろしいですか？";
inline constexpr const char* versionitem = "ﾊﾞｰｼﾞｮﾝ情報(&A)";
inline constexpr const char* versiontitlefmt = "%s Version Information";
inline constexpr const char* versionfmt = "%s Ver 1.01";
inline constexpr const char* versioncalcfmt = "%s Ver 1.01 (%s)";
inline constexpr const char* versionnotice = "Image warping editor";

}  // namespace pivola::text

#endif
