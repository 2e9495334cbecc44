<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>tavix::ui::PermissionRow</name>
    <message>
        <source>已就绪</source>
        <translation>Ready</translation>
    </message>
    <message>
        <source>未授权</source>
        <translation>Not authorized</translation>
    </message>
</context>
<context>
    <name>tavix::ui::SliderRow</name>
    <message>
        <source>慢</source>
        <translation>Slow</translation>
    </message>
    <message>
        <source>快</source>
        <translation>Fast</translation>
    </message>
</context>
<context>
    <name>tavix::ui::TouchPreview</name>
    <message>
        <source>触控预览</source>
        <translation>Touch preview</translation>
    </message>
    <message>
        <source>%1 个手指</source>
        <translation>%1 finger(s)</translation>
    </message>
</context>
<context>
    <name>tavix::ui::MenuContent</name>
    <message>
        <source>启用 Tavix</source>
        <translation>Enable Tavix</translation>
    </message>
    <message>
        <source>单指轻点以点按</source>
        <translation>Tap with One Finger to Click</translation>
    </message>
    <message>
        <source>%1 已连接</source>
        <translation>%1 connected</translation>
    </message>
    <message>
        <source>未检测到妙控鼠标</source>
        <translation>No Magic Mouse found</translation>
    </message>
    <message>
        <source>⚠︎ 权限未就绪，去授权…</source>
        <translation>⚠︎ Permissions missing, grant access…</translation>
    </message>
    <message>
        <source>重新启动 Tavix</source>
        <translation>Restart Tavix</translation>
    </message>
    <message>
        <source>设置…</source>
        <translation>Settings…</translation>
    </message>
    <message>
        <source>退出 Tavix</source>
        <translation>Quit Tavix</translation>
    </message>
</context>
<context>
    <name>tavix::ui::SettingsView</name>
    <message>
        <source>Tavix</source>
        <translation>Tavix</translation>
    </message>
    <message>
        <source>启用 Tavix</source>
        <translation>Enable Tavix</translation>
    </message>
    <message>
        <source>%1 已连接</source>
        <translation>%1 connected</translation>
    </message>
    <message>
        <source>未检测到妙控鼠标</source>
        <translation>No Magic Mouse found</translation>
    </message>
    <message>
        <source>重新扫描</source>
        <translation>Rescan</translation>
    </message>
    <message>
        <source>权限</source>
        <translation>Permissions</translation>
    </message>
    <message>
        <source>「去授权」会安装 Tavix 的 udev 规则。之后若这里仍显示未授权：断开并重新连接妙控鼠标（关闭再打开蓝牙即可）；仍不行就注销后重新登录。规则装好后，「去授权」会打开帮助页。授权完成后 Tavix 会自动重启。</source>
        <translation>“Grant Access” installs Tavix’s udev rule. If this still shows as not authorized afterwards: disconnect and reconnect the Magic Mouse (turning Bluetooth off and on will do); if that does not help, log out and back in. Once the rule is installed, “Grant Access” opens the help page. Tavix restarts by itself once access is granted.</translation>
    </message>
    <message>
        <source>辅助功能</source>
        <translation>Accessibility</translation>
    </message>
    <message>
        <source>模拟右键、点按与缩放</source>
        <translation>Simulates right-clicks, clicks and zooming</translation>
    </message>
    <message>
        <source>事件发送</source>
        <translation>Event Posting</translation>
    </message>
    <message>
        <source>向系统发送合成的鼠标/键盘事件</source>
        <translation>Sends synthetic mouse/keyboard events to the system</translation>
    </message>
    <message>
        <source>事件监听</source>
        <translation>Event Monitoring</translation>
    </message>
    <message>
        <source>识别物理点击、缩放时屏蔽滚动</source>
        <translation>Recognizes physical clicks, holds back scrolling while zooming</translation>
    </message>
    <message>
        <source>去授权</source>
        <translation>Grant Access</translation>
    </message>
    <message>
        <source>重新启动 Tavix</source>
        <translation>Restart Tavix</translation>
    </message>
    <message>
        <source>触控手势</source>
        <translation>Touch Gestures</translation>
    </message>
    <message>
        <source>单指轻点以点按</source>
        <translation>Tap with One Finger to Click</translation>
    </message>
    <message>
        <source>轻点一下 = 点按，轻点两下 = 连按</source>
        <translation>Tap once = click, tap twice = double-click</translation>
    </message>
    <message>
        <source>与「智能缩放」冲突</source>
        <translation>Conflicts with “Smart Zoom”</translation>
    </message>
    <message>
        <source>单指轻点两下会同时触发缩放</source>
        <translation>A one-finger double tap also triggers zoom</translation>
    </message>
    <message>
        <source>关闭智能缩放</source>
        <translation>Turn Off Smart Zoom</translation>
    </message>
    <message>
        <source>三指轻触</source>
        <translation>Three-Finger Tap</translation>
    </message>
    <message>
        <source>辅助点按（右键）</source>
        <translation>Secondary click (right-click)</translation>
    </message>
    <message>
        <source>轻触判定时长</source>
        <translation>Tap Duration</translation>
    </message>
    <message>
        <source>短</source>
        <translation>Short</translation>
    </message>
    <message>
        <source>长</source>
        <translation>Long</translation>
    </message>
    <message>
        <source>三指捏合</source>
        <translation>Three-Finger Pinch</translation>
    </message>
    <message>
        <source>三指或拇指＋三指轻轻收拢 · 打开</source>
        <translation>Gently pinch three fingers, or thumb + three · opens </translation>
    </message>
    <message>
        <source>捏合后打开</source>
        <translation>Pinch Opens</translation>
    </message>
    <message>
        <source>捏合灵敏度</source>
        <translation>Pinch Sensitivity</translation>
    </message>
    <message>
        <source>低</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>高</source>
        <translation>High</translation>
    </message>
    <message>
        <source>双指捏合 / 张开</source>
        <translation>Two-Finger Pinch / Spread</translation>
    </message>
    <message>
        <source>缩小 / 放大</source>
        <translation>Zoom out / in</translation>
    </message>
    <message>
        <source>缩放方式</source>
        <translation>Zoom Method</translation>
    </message>
    <message>
        <source>触发灵敏度</source>
        <translation>Trigger Sensitivity</translation>
    </message>
    <message>
        <source>缩放速度</source>
        <translation>Zoom Speed</translation>
    </message>
    <message>
        <source>鼠标</source>
        <translation>Mouse</translation>
    </message>
    <message>
        <source>与「系统设置 › 鼠标」同步，修改即时生效。</source>
        <translation>Kept in sync with “System Settings › Mouse”; changes take effect at once.</translation>
    </message>
    <message>
        <source>跟踪速度</source>
        <translation>Tracking Speed</translation>
    </message>
    <message>
        <source>滚动速度</source>
        <translation>Scrolling Speed</translation>
    </message>
    <message>
        <source>连按速度</source>
        <translation>Double-Click Speed</translation>
    </message>
    <message>
        <source>慢</source>
        <translation>Slow</translation>
    </message>
    <message>
        <source>快</source>
        <translation>Fast</translation>
    </message>
    <message>
        <source>自然滚动</source>
        <translation>Natural Scrolling</translation>
    </message>
    <message>
        <source>内容跟随手指方向移动</source>
        <translation>Content follows the movement of your finger</translation>
    </message>
    <message>
        <source>辅助点按</source>
        <translation>Secondary Click</translation>
    </message>
    <message>
        <source>智能缩放</source>
        <translation>Smart Zoom</translation>
    </message>
    <message>
        <source>单指连按两下 · 放大指针下的内容，再按两下还原</source>
        <translation>Double-tap with one finger · zoom in on what is under the pointer, double-tap again to zoom back</translation>
    </message>
    <message>
        <source>系统手势</source>
        <translation>System Gestures</translation>
    </message>
    <message>
        <source>若双指缩放时容易误触切换全屏应用，可关闭「在全屏应用间轻扫」。</source>
        <translation>If two-finger zooming often switches full-screen apps by accident, turn off “Swipe Between Full-Screen Apps”.</translation>
    </message>
    <message>
        <source>在页面间轻扫</source>
        <translation>Swipe Between Pages</translation>
    </message>
    <message>
        <source>单指左右轻扫 · 后退 / 前进</source>
        <translation>Swipe left or right with one finger · back / forward</translation>
    </message>
    <message>
        <source>在全屏应用间轻扫</source>
        <translation>Swipe Between Full-Screen Apps</translation>
    </message>
    <message>
        <source>双指左右轻扫 · 切换到左 / 右侧的工作区</source>
        <translation>Swipe left or right with two fingers · the workspace on the left / right</translation>
    </message>
    <message>
        <source>调度中心</source>
        <translation>Mission Control</translation>
    </message>
    <message>
        <source>双指连按两下 · 打开或关闭概览</source>
        <translation>Double-tap with two fingers · open or close the overview</translation>
    </message>
    <message>
        <source>通用</source>
        <translation>General</translation>
    </message>
    <message>
        <source>登录时打开</source>
        <translation>Open at Login</translation>
    </message>
    <message>
        <source>打开系统鼠标设置</source>
        <translation>Open System Mouse Settings</translation>
    </message>
    <message>
        <source>应用程序索引</source>
        <translation>Application Index</translation>
    </message>
    <message>
        <source>聚焦搜索</source>
        <translation>Spotlight Search</translation>
    </message>
    <message>
        <source>显示桌面</source>
        <translation>Show Desktop</translation>
    </message>
    <message>
        <source>原生捏合（平滑）</source>
        <translation>Native Pinch (Smooth)</translation>
    </message>
    <message>
        <source>快捷键 ⌘+ / ⌘−</source>
        <translation>Shortcut ⌘+ / ⌘−</translation>
    </message>
    <message>
        <source>点按右侧</source>
        <translation>Click Right Side</translation>
    </message>
    <message>
        <source>点按左侧</source>
        <translation>Click Left Side</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Off</translation>
    </message>
</context>
<context>
    <name>tavix::LastGesture</name>
    <message>
        <source>单指轻扫 → 后退</source>
        <translation>One-finger swipe → Back</translation>
    </message>
    <message>
        <source>单指轻扫 → 前进</source>
        <translation>One-finger swipe → Forward</translation>
    </message>
    <message>
        <source>双指轻扫 → 上一个桌面</source>
        <translation>Two-finger swipe → Previous desktop</translation>
    </message>
    <message>
        <source>双指轻扫 → 下一个桌面</source>
        <translation>Two-finger swipe → Next desktop</translation>
    </message>
    <message>
        <source>双指连按两下 → 调度中心</source>
        <translation>Two-finger double tap → Mission Control</translation>
    </message>
    <message>
        <source>单指连按两下 → 智能缩放</source>
        <translation>One-finger double tap → Smart Zoom</translation>
    </message>
</context>
<context>
    <name>tavix::ui::TavixApp</name>
    <message>
        <source>Tavix</source>
        <translation>Tavix</translation>
    </message>
</context>
</TS>
