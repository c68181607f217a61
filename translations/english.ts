<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>LoginWin</name>
    <message>
        <source>登陆</source>
        <translation>Login in</translation>
    </message>
    <message>
        <source>用户名：</source>
        <translation>User</translation>
    </message>
    <message>
        <source>密码：</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>电动单车管理</source>
        <translation>Electric bicycle system</translation>
    </message>
    <message>
        <source>电动汽车管理</source>
        <translation>Electric Vehicle system</translation>
    </message>
    <message>
        <source>用户名错误</source>
        <translation>User account error</translation>
    </message>
    <message>
        <source>密码错误</source>
        <translation>Password error</translation>
    </message>
    <message>
        <source>!query.exec()错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>错误提示</source>
        <translation>Warning of error</translation>
    </message>
    <message>
        <source>打开数据库失败</source>
        <translation>Entering database failed</translation>
    </message>
    <message>
        <source>插入数据失败</source>
        <translation>Inputting data failed</translation>
    </message>
    <message>
        <source>警告信息</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>启动主程序错误!
可能主程序不存在或者被破坏!
解决办法：重新安装程序!</source>
        <translation>Main program failure
Main program not existed or destroied.
Solution: Re-install the program.</translation>
    </message>
</context>
<context>
    <name>MsgBox</name>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>Confirm</translation>
    </message>
</context>
<context>
    <name>Updater</name>
    <message>
        <source>下载器</source>
        <translation>Downloader</translation>
    </message>
    <message>
        <source>下载状态：</source>
        <translation>Download status:</translation>
    </message>
    <message>
        <source>无下载任务</source>
        <translation>No download task</translation>
    </message>
    <message>
        <source>下载速度：</source>
        <translation>Download speed:</translation>
    </message>
    <message>
        <source>剩余时间：</source>
        <translation>Remaining time:</translation>
    </message>
    <message>
        <source>当前下载大小：</source>
        <translation>Downloaded:</translation>
    </message>
    <message>
        <source>文件大小：</source>
        <translation>File size:</translation>
    </message>
    <message>
        <source>正在下载</source>
        <translation>Downloading</translation>
    </message>
    <message>
        <source>下载失败：%1</source>
        <translation>Download failed: %1</translation>
    </message>
    <message>
        <source>下载地址无效：%1</source>
        <translation>Invalid download address: %1</translation>
    </message>
    <message>
        <source>警告信息</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>启动主程序错误!
可能主程序不存在或者被破坏!
解决办法：重新安装程序!</source>
        <translation>Main program failure
Main program not existed or destroied.
Solution: Re-install the program.</translation>
    </message>
</context>
</TS>
