#pragma once

// The user's setting "同时写入 ID3v2 标签": whether Modify also writes its texts into the ID3v2
// tag at the head of each file. Off until the user turns it on.
namespace sonatag::ui {

bool MirrorsId3v2();
void SetMirrorsId3v2(bool on);

}  // namespace sonatag::ui
