<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>LoginWin</name>
    <message>
        <source>数据库服务器 %1 上缺少账本表（%2）。
请先用 server-setup 设置服务器。</source>
        <translation>The database server %1 lacks the ledger tables (%2).
Set the server up with server-setup first.</translation>
    </message>
    <message>
        <source>服务器设置文件%1已损坏，无法读取。
请修复或删除该文件后重新启动。</source>
        <translation>The server settings file %1 is damaged and cannot be read.
Repair or delete it, then restart.</translation>
    </message>
    <message>
        <source>无法连接数据库服务器 %1
%2
请检查网络和服务器设置（server.ini）后重新启动。</source>
        <translation>Cannot reach the database server %1
%2
Check the network and the server settings (server.ini), then restart.</translation>
    </message>
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
    <message>
        <source>数据库正被其他程序使用，暂时无法写入记录。</source>
        <translation>The database is in use by another program and cannot be written now.</translation>
    </message>
    <message>
        <source>数据库文件只读，无法写入记录。</source>
        <translation>The database file is read-only and cannot be written.</translation>
    </message>
    <message>
        <source>数据库无法写入记录。</source>
        <translation>The database cannot be written.</translation>
    </message>
    <message>
        <source>数据库表%1无法写入记录（可能缺少列）。</source>
        <translation>The database table %1 cannot be written (columns may be missing).</translation>
    </message>
    <message>
        <source>本地暂存文件%1无法写入。</source>
        <translation>The local holding file %1 cannot be written.</translation>
    </message>
    <message>
        <source>可以浏览记录；充值、发卡、退卡、绑卡和发卡器充值将被拒绝，直到可以写入。</source>
        <translation>Records can be browsed; recharge, issue, return, binding and card issuer top-up are refused until it can be written.</translation>
    </message>
    <message>
        <source>配置文件%1已损坏，已另存为%2。本次使用默认设置。</source>
        <translation>The configuration file %1 is damaged; it was kept as %2. The defaults are used this time.</translation>
    </message>
    <message>
        <source>配置文件%1已损坏，且无法另存。本次使用默认设置。</source>
        <translation>The configuration file %1 is damaged and could not be kept aside. The defaults are used this time.</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>正在等待数据库……
它正被其他程序使用。</source>
        <translation>Waiting for the database…
It is in use by another program.</translation>
    </message>
    <message>
        <source>数据库正被其他程序使用，无法打开。
请关闭该程序后重新启动。</source>
        <translation>The database is in use by another program and cannot be opened.
Close that program and start again.</translation>
    </message>
    <message>
        <source>登录失败次数过多，该用户名已锁定至 %1。</source>
        <translation>Too many failed logins: this user name is locked until %1.</translation>
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
        <source>更新列表无效：超过 %1 字节</source>
        <translation>Invalid update list: larger than %1 bytes</translation>
    </message>
    <message>
        <source>拒绝安装：%1 不属于本程序</source>
        <translation>Installation refused: %1 is not part of the program</translation>
    </message>
    <message>
        <source>拒绝安装：%1 不是完整的程序</source>
        <translation>Installation refused: %1 is not a complete program</translation>
    </message>
    <message>
        <source>安装失败：%1</source>
        <translation>Installation failed: %1</translation>
    </message>
    <message>
        <source>%1 秒内没有收到数据</source>
        <translation>no data received for %1 s</translation>
    </message>
    <message>
        <source>另一个下载器正在运行</source>
        <translation>Another downloader is already running</translation>
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
    <name>ChDialog</name>
    <message>
        <source>查询与充值</source>
        <translation>Balance inquiry and fund recharge</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>查询</source>
        <translation>Balance inqury</translation>
    </message>
    <message>
        <source>余额：</source>
        <translation>Balance:</translation>
    </message>
    <message>
        <source>元</source>
        <translation>$</translation>
    </message>
    <message>
        <source>卡号：</source>
        <translation>Card num:</translation>
    </message>
    <message>
        <source>用户名：</source>
        <translation>User:</translation>
    </message>
    <message>
        <source>电话：</source>
        <translation>Phone:</translation>
    </message>
    <message>
        <source>地址：</source>
        <translation>Address:</translation>
    </message>
    <message>
        <source>车牌号：</source>
        <translation>Card plate:</translation>
    </message>
    <message>
        <source>备注：</source>
        <translation>Remarks:</translation>
    </message>
    <message>
        <source>绑定的充电座编号：</source>
        <translation>Binded socket No.:</translation>
    </message>
    <message>
        <source>绑定的端口号：</source>
        <translation>Binded port:</translation>
    </message>
    <message>
        <source>读取</source>
        <translation>Current balance</translation>
    </message>
    <message>
        <source>读取发卡器信息</source>
        <translation>Card issuer info</translation>
    </message>
    <message>
        <source>充值</source>
        <translation>Recharge</translation>
    </message>
    <message>
        <source>连续充值</source>
        <translation>Continuous recharging</translation>
    </message>
    <message>
        <source>连续充值说明：
1、放一张待充值的卡片到发卡器。
2、点击读取。
3、修改充值金额(所有连续充值的卡都是这个金额)。
4、勾选连续充值选项。
5、充值成功后可直接替换另一张卡。
6、如不再需要连续充值，请取消连续充值选项。</source>
        <translation>Continuous recharging
1.Put the card onto the induction zone of the card issurer.
2.Press "Write" button
3.Input a certain amount(same amount for all coming cards.)
4.Check the "Continuous recharging" box
5.Replace the card with a new one after it is successfully recharged
6.Cancel the box when it's not needed</translation>
    </message>
    <message>
        <source>公司名称</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>用户卡密码格式错误，应为12位十六进制数字</source>
        <translation>The user card key must be 12 hexadecimal digits</translation>
    </message>
    <message>
        <source>读卡失败</source>
        <translation>Card reading failed</translation>
    </message>
    <message>
        <source>无效卡</source>
        <translation>Invalid card</translation>
    </message>
    <message>
        <source>余额无效卡</source>
        <translation>Balance invalid</translation>
    </message>
    <message>
        <source>未绑定</source>
        <translation>None</translation>
    </message>
    <message>
        <source>读取数据库信息失败</source>
        <translation>Database reading failed</translation>
    </message>
    <message>
        <source>读取发卡器余额失败</source>
        <translation>Reading the card issuer balance failed</translation>
    </message>
    <message>
        <source>发卡器余额不足</source>
        <translation>Care issurer out of balance</translation>
    </message>
    <message>
        <source>卡号有误</source>
        <translation>Wrong card No.</translation>
    </message>
    <message>
        <source>超出限额</source>
        <translation>Out of balance limitation</translation>
    </message>
    <message>
        <source>写卡失败</source>
        <translation>Card writing failed</translation>
    </message>
    <message>
        <source>卡内余额无法确认，请重新读卡核对</source>
        <translation>Card balance unconfirmed: read the card again to check it</translation>
    </message>
    <message>
        <source>错误提示</source>
        <translation>Warning of error</translation>
    </message>
    <message>
        <source>插入数据失败</source>
        <translation>Inputting data failed</translation>
    </message>
    <message>
        <source>充值成功:</source>
        <translation>Recharged</translation>
    </message>
    <message>
        <source>%1,充值金额=%2元</source>
        <translation>%1, recharge amount = %2 $</translation>
    </message>
    <message>
        <source>发卡器扣款失败，金额：%1元</source>
        <translation>Card issuer deduction failed, amount: %1 $</translation>
    </message>
    <message>
        <source>读取失败，代号：%d</source>
        <translation>Reading failed, code: %d</translation>
    </message>
    <message>
        <source>发卡器模式：销售模式
</source>
        <translation>Card issuer mode: sale
</translation>
    </message>
    <message>
        <source>发卡器模式：分成模式
</source>
        <translation>Card issuer mode: share
</translation>
    </message>
    <message>
        <source>发卡器序列号：%d
</source>
        <translation>Card issuer serial No.: %d
</translation>
    </message>
    <message>
        <source>校验码：</source>
        <translation>Check code: </translation>
    </message>
    <message>
        <source>
发卡器余额：%d.%02d元
版本号：%d</source>
        <translation>
Card issuer balance: %d.%02d $
Version: %d</translation>
    </message>
    <message>
        <source>本地暂存文件无法写入，未充值，卡片未改动</source>
        <translation>The local holding file cannot be written: nothing was recharged, the card is unchanged</translation>
    </message>
    <message>
        <source>数据库无法写入，未充值，卡片未改动</source>
        <translation>The database cannot be written: nothing was recharged, the card is unchanged</translation>
    </message>
    <message>
        <source>数据库暂时无法写入，本次充值记录已暂存本地，数据库可写时自动补存</source>
        <translation>The database cannot be written now: this recharge record is kept locally and will be stored once the database can be written</translation>
    </message>
    <message>
        <source>充值记录保存失败，请另行记下本次充值：卡号%1，充值%2元，充值前%3元，充值后%4元</source>
        <translation>The recharge record could not be saved. Please note this recharge: card No. %1, amount %2 $, balance before %3 $, after %4 $</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>上次无法确认的充值已写入卡片：充值%1元，充值后%2元</source>
        <translation>The earlier unconfirmed recharge did reach the card: amount %1 $, balance after %2 $</translation>
    </message>
    <message>
        <source>保存收据</source>
        <translation>Save receipt</translation>
    </message>
    <message>
        <source>打印收据</source>
        <translation>Print receipt</translation>
    </message>
</context>
<context>
    <name>NewCardDialog</name>
    <message>
        <source>发卡与退卡</source>
        <translation>Card issueing and returning</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>发卡</source>
        <translation>Issue</translation>
    </message>
    <message>
        <source>*姓名：</source>
        <translation>*Name</translation>
    </message>
    <message>
        <source>地址：</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>电话：</source>
        <translation>Phone</translation>
    </message>
    <message>
        <source>备注：</source>
        <translation>Remarks</translation>
    </message>
    <message>
        <source>车牌号：</source>
        <translation>Car plate</translation>
    </message>
    <message>
        <source>填写完以上信息后，请把一张新卡放在刷卡区，然后点击发卡。</source>
        <translation>After filling the above blanks, please put a new card
onto the induction zone,then click "Issue"</translation>
    </message>
    <message>
        <source>连续发卡</source>
        <translation>Continuous</translation>
    </message>
    <message>
        <source> 退卡</source>
        <translation>Return</translation>
    </message>
    <message>
        <source>退卡会清除卡内数据且不可恢复，确认请把卡放在刷卡区，然后点击退卡。</source>
        <translation>By returning card,all data will be deleted uncoverably.Please
put the card onto the induction zone, and then click "Return card"</translation>
    </message>
    <message>
        <source>退卡</source>
        <translation>Return</translation>
    </message>
    <message>
        <source>绑卡</source>
        <translation>Binding card</translation>
    </message>
    <message>
        <source>绑定的充电座编号：</source>
        <translation>Binded socket No.</translation>
    </message>
    <message>
        <source>绑定的充电座端口：</source>
        <translation>Binded port</translation>
    </message>
    <message>
        <source>0：绑定所有端口</source>
        <translation>0:Bind all ports</translation>
    </message>
    <message>
        <source>1：绑定1号端口</source>
        <translation>1:Port No.1</translation>
    </message>
    <message>
        <source>2：绑定2号端口</source>
        <translation>2:Port No.2</translation>
    </message>
    <message>
        <source>3：绑定3号端口</source>
        <translation>3:Port No.3</translation>
    </message>
    <message>
        <source>4：绑定4号端口</source>
        <translation>4:Port No.4</translation>
    </message>
    <message>
        <source>5：绑定5号端口</source>
        <translation>5:Port No.5</translation>
    </message>
    <message>
        <source>6：绑定6号端口</source>
        <translation>6:Port No.6</translation>
    </message>
    <message>
        <source>7：绑定7号端口</source>
        <translation>7:Port No.7</translation>
    </message>
    <message>
        <source>8：绑定8号端口</source>
        <translation>8:Port No.8</translation>
    </message>
    <message>
        <source>9：绑定9号端口</source>
        <translation>9:Port No.9</translation>
    </message>
    <message>
        <source>10：绑定10号端口</source>
        <translation>10:Port No.10</translation>
    </message>
    <message>
        <source>11：绑定11号端口</source>
        <translation>11:Port No.11</translation>
    </message>
    <message>
        <source>12：绑定12号端口</source>
        <translation>12:Port No.12</translation>
    </message>
    <message>
        <source>13：绑定13号端口</source>
        <translation>13:Port No.13</translation>
    </message>
    <message>
        <source>14：绑定14号端口</source>
        <translation>14:Port No.14</translation>
    </message>
    <message>
        <source>15：绑定15号端口</source>
        <translation>15:Port No.15</translation>
    </message>
    <message>
        <source>16：绑定16号端口</source>
        <translation>16:Port No.16</translation>
    </message>
    <message>
        <source>开始绑定</source>
        <translation>Start binding</translation>
    </message>
    <message>
        <source>1、绑定充电座，即是说这张卡与这个编号的充电座绑定了，这张卡只能在这个充电座上使用，刷其它充电座报无效卡，不能使用。

2、绑定端口号，即是说绑定与端口一起绑定，如绑定1号端口，则只能在1号端口使用，其它端口不能使用，如绑定所有端口， 则所有端口都可以使用。

3、使用机卡绑定功能时，用户卡扇区不能使用0扇区。

4、如无此功能需求，无需理会。</source>
        <translation>1. Binding with socket: Once the card is binded with one certain socket, it can be used on this particular socket only. It is invalid on any other socket. 

2. Binding with port: Once the card is binded with one certain port, such as port-1, it can be used only on port-1, none other ports are workable for it.  If it is bonded with all ports, then the card can work on all ports.   

3. When binding function is activated, 0 section of user card will be unavailable. 

4  Ignore this information if binding function is not needed.</translation>
    </message>
    <message>
        <source>公司名称</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>请输入名字</source>
        <translation>Please enter your name</translation>
    </message>
    <message>
        <source>用户卡密码格式错误，应为12位十六进制数字</source>
        <translation>The user card key must be 12 hexadecimal digits</translation>
    </message>
    <message>
        <source>发卡失败:</source>
        <translation>Issuing card failed</translation>
    </message>
    <message>
        <source>未读到卡片</source>
        <translation>: no card read</translation>
    </message>
    <message>
        <source>错误提示</source>
        <translation>Warning of error</translation>
    </message>
    <message>
        <source>插入数据失败</source>
        <translation>Writing data failed</translation>
    </message>
    <message>
        <source>发卡成功:</source>
        <translation>Card issued</translation>
    </message>
    <message>
        <source>密码错误</source>
        <translation>Password error</translation>
    </message>
    <message>
        <source>退卡失败</source>
        <translation>Returning card failed</translation>
    </message>
    <message>
        <source>卡片状态无法确认，卡内%1元可能未退</source>
        <translation>Card state unconfirmed: the %1 $ on the card may not have been refunded</translation>
    </message>
    <message>
        <source>设置卡退卡成功</source>
        <translation>Setting-card returned</translation>
    </message>
    <message>
        <source>无效卡</source>
        <translation>Invalid card</translation>
    </message>
    <message>
        <source>余额无效卡</source>
        <translation>Balance invalid</translation>
    </message>
    <message>
        <source>退卡成功,应退金额:%1.%2元</source>
        <translation>Card returned. Balance:%1.%2 dollar</translation>
    </message>
    <message>
        <source>发卡器退款失败，金额：%1元</source>
        <translation>Refund to the card issuer failed, amount: %1 $</translation>
    </message>
    <message>
        <source>卡内数据清除失败</source>
        <translation>Wiping the card data failed</translation>
    </message>
    <message>
        <source>使用绑定功能时用户卡扇区不能使用0扇区</source>
        <translation>User's 0 section isn't available when it is binded.</translation>
    </message>
    <message>
        <source>读卡失败</source>
        <translation>Reading card failed</translation>
    </message>
    <message>
        <source>写卡失败</source>
        <translation>Writing card failed</translation>
    </message>
    <message>
        <source>此卡号在数据库中未找到</source>
        <translation>Card No.not found</translation>
    </message>
    <message>
        <source>解绑成功</source>
        <translation>Unbinded</translation>
    </message>
    <message>
        <source>绑定成功</source>
        <translation>Binded.</translation>
    </message>
    <message>
        <source>本地暂存文件无法写入，卡片未改动</source>
        <translation>The local holding file cannot be written: the card is unchanged</translation>
    </message>
    <message>
        <source>数据库无法写入，卡片未改动</source>
        <translation>The database cannot be written: the card is unchanged</translation>
    </message>
    <message>
        <source>数据库暂时无法写入，本次记录已暂存本地，数据库可写时自动补存</source>
        <translation>The database cannot be written now: this record is kept locally and will be stored once the database can be written</translation>
    </message>
    <message>
        <source>发卡记录保存失败，请另行记下：卡号%1，姓名%2</source>
        <translation>The issue record could not be saved. Please note: card No. %1, name %2</translation>
    </message>
    <message>
        <source>退卡记录保存失败，请另行记下：卡号%1，退卡金额%2元</source>
        <translation>The return record could not be saved. Please note: card No. %1, refund %2 dollar</translation>
    </message>
    <message>
        <source>保存收据</source>
        <translation>Save receipt</translation>
    </message>
    <message>
        <source>打印收据</source>
        <translation>Print receipt</translation>
    </message>
</context>
<context>
    <name>SetCardDialog</name>
    <message>
        <source>输入密码：</source>
        <translation>Enter password:</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>恢复默认</source>
        <translation>Restore defaults</translation>
    </message>
    <message>
        <source>用户卡密码:</source>
        <translation>User card key:</translation>
    </message>
    <message>
        <source>用户卡扇区:</source>
        <translation>User card sector:</translation>
    </message>
    <message>
        <source>计费模式:</source>
        <translation>Billing mode:</translation>
    </message>
    <message>
        <source>卡内最大余额(元):</source>
        <translation>Max card balance(yuan):</translation>
    </message>
    <message>
        <source>绑定功能:</source>
        <translation>Binding:</translation>
    </message>
    <message>
        <source>密钥:</source>
        <translation>Key:</translation>
    </message>
    <message>
        <source>密钥开关:</source>
        <translation>Key lock:</translation>
    </message>
    <message>
        <source>重要提示:请妥善保存好密钥</source>
        <translation>Important: keep the key safe</translation>
    </message>
    <message>
        <source>是否退费开关:</source>
        <translation>Refund:</translation>
    </message>
    <message>
        <source>第1档功率(W):</source>
        <translation>Power level 1(W):</translation>
    </message>
    <message>
        <source>第1档费率(分):</source>
        <translation>Billing level 1(cent):</translation>
    </message>
    <message>
        <source>第1档费率(分钟):</source>
        <translation>Billing rate level 1(min):</translation>
    </message>
    <message>
        <source>第2档功率(W):</source>
        <translation>Power level 2(W):</translation>
    </message>
    <message>
        <source>第2档费率(分):</source>
        <translation>Billing level 2(cent):</translation>
    </message>
    <message>
        <source>第2档费率(分钟):</source>
        <translation>Billing rate level 2(min):</translation>
    </message>
    <message>
        <source>第3档功率(W):</source>
        <translation>Power level 3(W):</translation>
    </message>
    <message>
        <source>第3档费率(分):</source>
        <translation>Billing level 3(cent):</translation>
    </message>
    <message>
        <source>第3档费率(分钟):</source>
        <translation>Billing rate level 3(min):</translation>
    </message>
    <message>
        <source>第4档功率(W):</source>
        <translation>Power level 4(W):</translation>
    </message>
    <message>
        <source>第4档费率(分):</source>
        <translation>Billing level 4(cent):</translation>
    </message>
    <message>
        <source>第4档费率(分钟):</source>
        <translation>Billing rate level 4(min):</translation>
    </message>
    <message>
        <source>第5档功率(W):</source>
        <translation>Power level 5(W):</translation>
    </message>
    <message>
        <source>第5档费率(分):</source>
        <translation>Billing level 5(cent):</translation>
    </message>
    <message>
        <source>第5档费率(分钟):</source>
        <translation>Billing rate level 5(min):</translation>
    </message>
    <message>
        <source>第6档功率(W):</source>
        <translation>Power level 6(W):</translation>
    </message>
    <message>
        <source>第6档费率(分):</source>
        <translation>Billing level 6(cent):</translation>
    </message>
    <message>
        <source>第6档费率(分钟):</source>
        <translation>Billing rate level 6(min):</translation>
    </message>
    <message>
        <source>第7档功率(W):</source>
        <translation>Power level 7(W):</translation>
    </message>
    <message>
        <source>第7档费率(分):</source>
        <translation>Billing level 7(cent):</translation>
    </message>
    <message>
        <source>第7档费率(分钟):</source>
        <translation>Billing rate level 7(min):</translation>
    </message>
    <message>
        <source>第8档功率(W):</source>
        <translation>Power level 8(W):</translation>
    </message>
    <message>
        <source>第8档费率(分):</source>
        <translation>Billing level 8(cent):</translation>
    </message>
    <message>
        <source>第8档费率(分钟):</source>
        <translation>Billing rate level 8(min):</translation>
    </message>
    <message>
        <source>计时模式</source>
        <translation>Billing by time</translation>
    </message>
    <message>
        <source>计次模式</source>
        <translation>Billing per time</translation>
    </message>
    <message>
        <source>计量模式</source>
        <translation>Billing by degree</translation>
    </message>
    <message>
        <source>固定扣费</source>
        <translation>Billing by fixed rate</translation>
    </message>
    <message>
        <source>家用模式</source>
        <translation>Home mode</translation>
    </message>
    <message>
        <source>选择免费模式</source>
        <translation>Choose free mode</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>On</translation>
    </message>
    <message>
        <source>解锁</source>
        <translation>Unlocked</translation>
    </message>
    <message>
        <source>锁定</source>
        <translation>Locked</translation>
    </message>
    <message>
        <source>重要提示:单双路最大功率2000W，16A最大功率3500W，10路16路最大功率1000W</source>
        <translation>Important: max power 2000W for single and dual ports, 3500W for 16A, 1000W for 10 and 16 ports</translation>
    </message>
    <message>
        <source>重要提示:请妥善保存用户卡密码</source>
        <translation>Important: keep the user card key safe</translation>
    </message>
    <message>
        <source>最大充电时间(时):</source>
        <translation>Max charging time(h):</translation>
    </message>
    <message>
        <source>计费档位设置:</source>
        <translation>Billing levels:</translation>
    </message>
    <message>
        <source>充电座编号:</source>
        <translation>Post number:</translation>
    </message>
    <message>
        <source>计量费率(分):</source>
        <translation>Meter rate(cent):</translation>
    </message>
    <message>
        <source>计量预扣电度数(度):</source>
        <translation>Meter pre-paid energy(kWh):</translation>
    </message>
    <message>
        <source>计量模式最大功率(W):</source>
        <translation>Meter max power(W):</translation>
    </message>
    <message>
        <source>固定扣费模式每次扣除费用(分):</source>
        <translation>Fixed fee per use(cent):</translation>
    </message>
    <message>
        <source>制作设置卡</source>
        <translation>Make a setting card</translation>
    </message>
    <message>
        <source>设置卡</source>
        <translation>Setting card</translation>
    </message>
    <message>
        <source>允许</source>
        <translation>Allowed</translation>
    </message>
    <message>
        <source>禁止</source>
        <translation>Forbidden</translation>
    </message>
    <message>
        <source>插入功率检测阀值(1W精度):</source>
        <translation>Plug-in power threshold(1W):</translation>
    </message>
    <message>
        <source>拔出功率阀值(0.1W精度):</source>
        <translation>Pull-out power threshold(0.1W):</translation>
    </message>
    <message>
        <source>浮充功率百分比:</source>
        <translation>Float-charge power(%):</translation>
    </message>
    <message>
        <source>插入检测时间(秒):</source>
        <translation>Plug-in check time(s):</translation>
    </message>
    <message>
        <source>拔出功率识别时间(秒):</source>
        <translation>Pull-out power check time(s):</translation>
    </message>
    <message>
        <source>插入功率识别时间(秒):</source>
        <translation>Plug-in power check time(s):</translation>
    </message>
    <message>
        <source>浮充时间(秒):</source>
        <translation>Float-charge time(s):</translation>
    </message>
    <message>
        <source>浮充状态识别时间(秒):</source>
        <translation>Float-charge check time(s):</translation>
    </message>
    <message>
        <source>新版动态过载功率(W):</source>
        <translation>Dynamic overload power(W):</translation>
    </message>
    <message>
        <source>动态过载开始时间(秒):</source>
        <translation>Dynamic overload start(s):</translation>
    </message>
    <message>
        <source>动态过载判断时间(秒):</source>
        <translation>Dynamic overload check(s):</translation>
    </message>
    <message>
        <source>判断用户真假拔出时间(秒):</source>
        <translation>Real pull-out check time(s):</translation>
    </message>
    <message>
        <source>真假拔出判断开关:</source>
        <translation>Real pull-out check:</translation>
    </message>
    <message>
        <source>充满自停开关:</source>
        <translation>Stop when full:</translation>
    </message>
    <message>
        <source>设备禁止使用开关:</source>
        <translation>Device use:</translation>
    </message>
    <message>
        <source>拔出干扰功率(0.1W精度):</source>
        <translation>Pull-out noise power(0.1W):</translation>
    </message>
    <message>
        <source>拔出干扰功率判断时间(秒):</source>
        <translation>Pull-out noise time(s):</translation>
    </message>
    <message>
        <source>浮充识别第二次时间点(秒):</source>
        <translation>2nd float-charge check at(s):</translation>
    </message>
    <message>
        <source>浮充状态第二次识别时间(秒):</source>
        <translation>2nd float-charge check time(s):</translation>
    </message>
    <message>
        <source>制作参数卡</source>
        <translation>Make a parameter card</translation>
    </message>
    <message>
        <source>参数设置</source>
        <translation>Parameter settings</translation>
    </message>
    <message>
        <source>电动单车设置卡</source>
        <translation>E-bike setting cards</translation>
    </message>
    <message>
        <source>密码</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>刷卡免费模式</source>
        <translation>Free per swipe mode</translation>
    </message>
    <message>
        <source>开启绑定功能时，用户卡扇区不能使用0扇区</source>
        <translation>With binding on, the user card sector cannot be sector 0</translation>
    </message>
    <message>
        <source>重要提示:请牢记用户卡密码和密钥</source>
        <translation>Important: remember the user card key and the key</translation>
    </message>
    <message>
        <source>预扣费(分):</source>
        <translation>Pre-deduction(cent):</translation>
    </message>
    <message>
        <source>制作汽车设置卡</source>
        <translation>Make a car setting card</translation>
    </message>
    <message>
        <source>汽车刷卡设置卡</source>
        <translation>Car setting card</translation>
    </message>
    <message>
        <source>开始时间(时)</source>
        <translation>Start (h)</translation>
    </message>
    <message>
        <source>结束时间(时)</source>
        <translation>End (h)</translation>
    </message>
    <message>
        <source>电费率(分)</source>
        <translation>Energy rate(cent)</translation>
    </message>
    <message>
        <source>费率数：</source>
        <translation>Number of ranges:</translation>
    </message>
    <message>
        <source>电损率(1%)：</source>
        <translation>Power loss rate(1%):</translation>
    </message>
    <message>
        <source>服务费(分)：</source>
        <translation>Service fee(cent):</translation>
    </message>
    <message>
        <source>认证密钥:</source>
        <translation>Authentication key:</translation>
    </message>
    <message>
        <source>第一档必须从0时开始，最后一档必须24时结束</source>
        <translation>The first range must start at 0 h and the last must end at 24 h</translation>
    </message>
    <message>
        <source>制作汽车费率卡</source>
        <translation>Make a car tariff card</translation>
    </message>
    <message>
        <source>汽车费率设置卡</source>
        <translation>Car tariff card</translation>
    </message>
    <message>
        <source>最大充电电流(A)：</source>
        <translation>Max charging current(A):</translation>
    </message>
    <message>
        <source>最大充电时长(时)：</source>
        <translation>Max charging duration(h):</translation>
    </message>
    <message>
        <source>最小充电电流(0.01A)：</source>
        <translation>Min charging current(0.01A):</translation>
    </message>
    <message>
        <source>最小电流检测时间(秒)：</source>
        <translation>Min current check time(s):</translation>
    </message>
    <message>
        <source>最小电流检测开关：</source>
        <translation>Min current check:</translation>
    </message>
    <message>
        <source>制作汽车参数卡</source>
        <translation>Make a car parameter card</translation>
    </message>
    <message>
        <source>汽车参数设置卡</source>
        <translation>Car parameter card</translation>
    </message>
    <message>
        <source>电动汽车设置卡</source>
        <translation>Electric car setting cards</translation>
    </message>
    <message>
        <source>公司名称</source>
        <translation>Company name</translation>
    </message>
    <message>
        <source>错误提示</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>无权限</source>
        <translation>Unauthrized</translation>
    </message>
    <message>
        <source>密码错误</source>
        <translation>Warning of error</translation>
    </message>
    <message>
        <source>设置成功</source>
        <translation>Setting success.</translation>
    </message>
    <message>
        <source>写卡失败</source>
        <translation>Writing card failed</translation>
    </message>
    <message>
        <source>设置成功,但配置文件保存失败</source>
        <translation>Setting success, but the configuration file could not be saved.</translation>
    </message>
    <message>
        <source>使用绑定功能时用户卡扇区不能使用0扇区</source>
        <translation>With binding in use, the user card sector cannot be sector 0</translation>
    </message>
    <message>
        <source>开启绑定功能时，用户扇区卡不能使用0扇区</source>
        <translation>With binding on, the user card sector cannot be sector 0</translation>
    </message>
    <message>
        <source>用户密码错误,必须为12位,只能使用0-9,A-F字母</source>
        <translation>Wrong user key: it must be 12 characters of 0-9 and A-F</translation>
    </message>
    <message>
        <source>密钥错误,必须为12位,只能使用0-9,A-F字母</source>
        <translation>Wrong key: it must be 12 characters of 0-9 and A-F</translation>
    </message>
    <message>
        <source>第%1档费率超出范围,固定扣费模式最多为1092分钟</source>
        <translation>Billing rate level %1 is too large: at most 1092 minutes in fixed rate mode</translation>
    </message>
    <message>
        <source>开始时间有误，必须为整点</source>
        <translation>Wrong start time: it must be a whole hour</translation>
    </message>
    <message>
        <source>结束时间有误，必须为整点</source>
        <translation>Wrong end time: it must be a whole hour</translation>
    </message>
    <message>
        <source>费率有误，费率必须为整数，单位为分</source>
        <translation>Wrong rate: it must be a whole number of cents</translation>
    </message>
    <message>
        <source>第%1档时间超出范围,必须在0到255之间</source>
        <translation>The hours of range %1 are out of range: they must lie between 0 and 255</translation>
    </message>
    <message>
        <source>第%1档费率超出范围,最大为65535分</source>
        <translation>The rate of range %1 is too large: at most 65535 cents</translation>
    </message>
    <message>
        <source>第一档必须从0时开始</source>
        <translation>The first range must start at 0 h</translation>
    </message>
    <message>
        <source>最后一档必须24时结束</source>
        <translation>The last range must end at 24 h</translation>
    </message>
    <message>
        <source>第%1档的开始时间必须等于第%2档的结束时间</source>
        <translation>The start of range %1 must equal the end of range %2</translation>
    </message>
    <message>
        <source>最小化</source>
        <comment>title button</comment>
        <translation>Minimise</translation>
    </message>
    <message>
        <source>关闭</source>
        <comment>title button</comment>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>BlackListDialog</name>
    <message>
        <source>1、完成后请先把一张新卡放到刷卡器上，再点击下方开始写入按钮
2、导入：即导入之前导出的名单
3、导出：即把上面的名单保存为文件，以方便下次导入修改
4、增加：即在上表增加一个名单，每行只能写入一个卡号
5、删除：选中上表的卡号，点删除即可
6、如果一个卡号都没有增加，则会清空充电座里面的黑名单</source>
        <translation>1.Plesae put a fresh card onto the card issurer before clicking the "write" button.
2.Import: Import an ID list file.
3.Export: Export an ID list file.
4.Add: Add an ID to the existed list, one ID per line.
5.Delete: Select an ID and delete it.
6.If no ID is added, the blacklist will be emptied.</translation>
    </message>
    <message>
        <source>保存文件</source>
        <translation>Save file</translation>
    </message>
    <message>
        <source>公司名称</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>内存申请失败，请重试</source>
        <translation>Memory activating failure, please try again</translation>
    </message>
    <message>
        <source>写卡失败1</source>
        <translation>Writing failed 1</translation>
    </message>
    <message>
        <source>写卡失败2</source>
        <translation>Writing failed 2</translation>
    </message>
    <message>
        <source>写卡失败3</source>
        <translation>Writing failed 3</translation>
    </message>
    <message>
        <source>写卡失败4</source>
        <translation>Writing failed 4</translation>
    </message>
    <message>
        <source>写卡失败5</source>
        <translation>Writing failed 5</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Deleted</translation>
    </message>
    <message>
        <source>增加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>导入</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>已完成，请刷到充电座</source>
        <translation>Blacklist writing done, please activate it on the sockets</translation>
    </message>
    <message>
        <source>已完成，请按卡顺序依次刷到充电座</source>
        <translation>Card writing done. Please activate the sockets accoring to the card order</translation>
    </message>
    <message>
        <source>开始写入</source>
        <translation>Start writing</translation>
    </message>
    <message>
        <source>挂失的ID号</source>
        <translation>Lost card ID</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>第%1行ID输入有误</source>
        <translation>Invalid inputting ID at Line %1</translation>
    </message>
    <message>
        <source>请使用新卡做为黑名单卡</source>
        <translation>Please use a new card as a blacklist card</translation>
    </message>
    <message>
        <source>请放第%1张新卡到刷卡器，然后再点确定</source>
        <translation>Plesae put %1 fresh card onto the card issurer, then click the "Write" button.</translation>
    </message>
    <message>
        <source>选择文件</source>
        <translation>Select a file</translation>
    </message>
    <message>
        <source>黑名单功能</source>
        <translation>Blacklist</translation>
    </message>
    <message>
        <source>导出失败，无法写入文件</source>
        <translation>Exporting failed: the file could not be written</translation>
    </message>
</context>
<context>
    <name>DevUpd</name>
    <message>
        <source>*.bin 固件文件</source>
        <translation>*.bin firmware</translation>
    </message>
    <message>
        <source>公司名称</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>开始升级</source>
        <translation>Upgrade</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>设备升级</source>
        <translation>Upgrading</translation>
    </message>
    <message>
        <source>请拔出USB线，再重新插入</source>
        <translation>Please unplug the USB cable, and replug it again</translation>
    </message>
    <message>
        <source>请选择固件</source>
        <translation>Select a firmware</translation>
    </message>
    <message>
        <source>选择设备固件</source>
        <translation>Select a firmware</translation>
    </message>
    <message>
        <source>固件文件为空或过大，无法升级</source>
        <translation>The firmware file is empty or too large to upgrade</translation>
    </message>
    <message>
        <source>升级失败，读卡器没有应答，请拔出USB线，再重新插入后重新升级</source>
        <translation>Upgrade failed: the card reader stopped answering. Please unplug the USB cable, plug it in again and start the upgrade again.</translation>
    </message>
    <message>
        <source>升级失败，固件文件在升级时被改变或无法读取，请拔出USB线，再重新插入后重新升级</source>
        <translation>Upgrade failed: the firmware file changed or could not be read during the upgrade. Please unplug the USB cable, plug it in again and start the upgrade again.</translation>
    </message>
    <message>
        <source>升级未能开始，读卡器没有接受升级命令，请拔出USB线，再重新插入后重试</source>
        <translation>The upgrade could not start: the card reader did not accept the upgrade command. Please unplug the USB cable, plug it in again and try again.</translation>
    </message>
</context>
<context>
    <name>SysDialog</name>
    <message>
        <source>数据库服务器</source>
        <translation>Database
server</translation>
    </message>
    <message>
        <source>请选择充值文件</source>
        <translation>Please select the recharging-pack</translation>
    </message>
    <message>
        <source>*.chfile 充值文件</source>
        <translation>*.chfile charging package</translation>
    </message>
    <message>
        <source>选择文件错误</source>
        <translation>File error</translation>
    </message>
    <message>
        <source>充值失败,代码:</source>
        <translation>Recharging failed, code:</translation>
    </message>
    <message>
        <source>充值成功,已充值</source>
        <translation>Recharged successfully</translation>
    </message>
    <message>
        <source>%1.%2元</source>
        <translation>%1.%2$</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>但充值记录保存失败，请另行记下本次充值</source>
        <translation>but the record could not be saved. Please note this top-up yourself.</translation>
    </message>
    <message>
        <source>系统设置</source>
        <translation>System settings</translation>
    </message>
    <message>
        <source>备份数据库</source>
        <translation>Backup</translation>
    </message>
    <message>
        <source>导入数据库</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>充值记录</source>
        <translation>Charging
records</translation>
    </message>
    <message>
        <source>发卡器充值</source>
        <translation>Reader
recharging</translation>
    </message>
    <message>
        <source>黑名单功能</source>
        <translation>Blacklist</translation>
    </message>
    <message>
        <source>设备升级</source>
        <translation>Upgrading</translation>
    </message>
    <message>
        <source>公司名称</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>升级成功，请断开USB线，再重新启动设备</source>
        <translation>Successfully upgraded.Plase unplug the USB cable and then restart it.</translation>
    </message>
    <message>
        <source>请选择导出数据库的路径...</source>
        <translation>Please choose a folder</translation>
    </message>
    <message>
        <source>未选择文件夹</source>
        <translation>Folder not selected</translation>
    </message>
    <message>
        <source>数据库已存在，是否覆盖？</source>
        <translation>The database already exists. Overwrite it?</translation>
    </message>
    <message>
        <source>备份数据库成功</source>
        <translation>Database backup successfully</translation>
    </message>
    <message>
        <source>数据库文件 (*.db)</source>
        <translation>database file(*.db)</translation>
    </message>
    <message>
        <source>请选择导入的数据库</source>
        <translation>Please select a file</translation>
    </message>
    <message>
        <source>未选择文件</source>
        <translation>File not selected</translation>
    </message>
    <message>
        <source>打开数据库失败</source>
        <translation>Database-reading failed</translation>
    </message>
    <message>
        <source>导入数据</source>
        <translation>Import data</translation>
    </message>
    <message>
        <source>请等待，正在导入数据库</source>
        <translation>Importing file, please wait</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancle</translation>
    </message>
    <message>
        <source>插入用户数据失败</source>
        <translation>Inputting user data failed</translation>
    </message>
    <message>
        <source>插入充值记录数据失败</source>
        <translation>Inputting recharging records failed</translation>
    </message>
    <message>
        <source>导入数据库成功</source>
        <translation>Importing data success</translation>
    </message>
    <message>
        <source>错误提示</source>
        <translation>Warning of error</translation>
    </message>
    <message>
        <source>备份数据库失败</source>
        <translation>Backing up the database failed</translation>
    </message>
    <message>
        <source>不能备份到数据库所在的文件夹</source>
        <translation>The backup cannot go into the database's own folder</translation>
    </message>
    <message>
        <source>不能导入正在使用的数据库</source>
        <translation>This is the database in use; it cannot be imported into itself</translation>
    </message>
    <message>
        <source>跳过卡号无效的数据 %1 条，金额无效的数据 %2 条</source>
        <translation>Skipped %1 rows with an invalid card number and %2 rows with an invalid amount</translation>
    </message>
    <message>
        <source>导入数据库未完成：数据库有 %1 条数据，只读到 %2 条，已合并 %3 条</source>
        <translation>Import not complete: the file holds %1 rows, only %2 were read, %3 were merged</translation>
    </message>
    <message>
        <source>导入数据库未完成：数据库文件已损坏，已读到 %1 条数据，已合并 %2 条</source>
        <translation>Import not complete: the file is damaged; %1 rows were read, %2 were merged</translation>
    </message>
    <message>
        <source>本地暂存文件无法写入，未充值，发卡器未改动</source>
        <translation>The local holding file cannot be written: nothing was loaded, the card issuer is unchanged</translation>
    </message>
    <message>
        <source>数据库无法写入，未充值，发卡器未改动</source>
        <translation>The database cannot be written: nothing was loaded, the card issuer is unchanged</translation>
    </message>
    <message>
        <source>数据库暂时无法写入，本次充值记录已暂存本地，数据库可写时自动补存</source>
        <translation>The database cannot be written now: this recharge record is kept locally and will be stored once the database can be written</translation>
    </message>
    <message>
        <source>充值结果无法确认：发卡器余额读取失败，请读取发卡器信息核对（充值前余额%1，本次充值%2）</source>
        <translation>The top-up cannot be confirmed: the card issuer balance could not be read. Please read the card issuer information to check (balance before %1, this top-up %2)</translation>
    </message>
    <message>
        <source>操作日志</source>
        <translation>Audit trail</translation>
    </message>
</context>
<context>
    <name>MainDialog</name>
    <message>
        <source>数据库：本机 %1</source>
        <translation>Database: local %1</translation>
    </message>
    <message>
        <source>数据库：服务器 %1（%2）</source>
        <translation>Database: server %1 (%2)</translation>
    </message>
    <message>
        <source>正在检查</source>
        <translation>checking</translation>
    </message>
    <message>
        <source>已连接</source>
        <translation>connected</translation>
    </message>
    <message>
        <source>缺少账本表</source>
        <translation>ledger tables missing</translation>
    </message>
    <message>
        <source>无法连接</source>
        <translation>unreachable</translation>
    </message>
    <message>
        <source>电动车电卡充值系统</source>
        <translation>Pre-paid recharging system of electric bicycle</translation>
    </message>
    <message>
        <source>查询与充值</source>
        <translation>Inquiry
recharge</translation>
    </message>
    <message>
        <source>发卡与退卡</source>
        <translation>Card issue
and return</translation>
    </message>
    <message>
        <source>用户查询</source>
        <translation>Search
by user</translation>
    </message>
    <message>
        <source>管理员设置</source>
        <translation>Admin
settings</translation>
    </message>
    <message>
        <source>退卡记录</source>
        <translation>Card refoud
records</translation>
    </message>
    <message>
        <source>充值记录</source>
        <translation>Recharging
records</translation>
    </message>
    <message>
        <source>卡设置</source>
        <translation>Card
settings</translation>
    </message>
    <message>
        <source>系统设置</source>
        <translation>Defult
settings</translation>
    </message>
    <message>
        <source>版本号</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>公司名称</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>序列号:</source>
        <translation>S/N:</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>未识别到读卡器,请检查再重新打开软件</source>
        <translation>Card reader not found. Please re-run the software</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>待存记录：%1条</source>
        <translation>Records waiting: %1</translation>
    </message>
    <message>
        <source>班次统计</source>
        <translation>Shift
totals</translation>
    </message>
    <message>
        <source>卡片流水</source>
        <translation>Card
statement</translation>
    </message>
    <message>
        <source>班次统计 (Ctrl+T)</source>
        <translation>Shift totals (Ctrl+T)</translation>
    </message>
    <message>
        <source>卡片流水 (Ctrl+K)</source>
        <translation>Card statement (Ctrl+K)</translation>
    </message>
</context>
<context>
    <name>UserDialog</name>
    <message>
        <source>用户查询</source>
        <translation>Search by user</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>卡号</source>
        <translation>Card number</translation>
    </message>
    <message>
        <source>姓名</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>地址</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>电话</source>
        <translation>Phone</translation>
    </message>
    <message>
        <source>车牌号</source>
        <translation>Car plate</translation>
    </message>
    <message>
        <source>绑定的充电座编号</source>
        <translation>Binded charging-socke- number</translation>
    </message>
    <message>
        <source>绑定的端口号</source>
        <translation>Binded port-number</translation>
    </message>
    <message>
        <source>开卡时间</source>
        <translation>Card activated date</translation>
    </message>
    <message>
        <source>开卡人</source>
        <translation>Card holder</translation>
    </message>
    <message>
        <source>发卡器序列号</source>
        <translation>S/N of card issurer</translation>
    </message>
    <message>
        <source>备注</source>
        <translation>Remarks</translation>
    </message>
    <message>
        <source>按姓名查找</source>
        <translation>Search by name</translation>
    </message>
    <message>
        <source>按电话查找</source>
        <translation>Search by phone</translation>
    </message>
    <message>
        <source>更新全部记录</source>
        <translation>Update all records</translation>
    </message>
    <message>
        <source>导出Excel</source>
        <translation>Export to Excel</translation>
    </message>
    <message>
        <source>未查找到结果</source>
        <translation>No result</translation>
    </message>
    <message>
        <source>查询失败，无法读取数据库</source>
        <translation>Search failed: the database could not be read</translation>
    </message>
    <message>
        <source>无法读取记录，请检查数据库连接</source>
        <translation>Records could not be read. Please check the database connection</translation>
    </message>
    <message>
        <source>请输入查找的姓名</source>
        <translation>Please input the name to be searched</translation>
    </message>
    <message>
        <source>请输入查找的电话</source>
        <translation>Please input the phone to be searched</translation>
    </message>
    <message>
        <source>选择目录</source>
        <translation>Select a catalogue</translation>
    </message>
    <message>
        <source>导出成功</source>
        <translation>File exported</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>错误提示</source>
        <translation>Warning of error</translation>
    </message>
    <message>
        <source>导出失败，无法写入文件</source>
        <translation>Exporting failed: the file could not be written</translation>
    </message>
    <message>
        <source>正在导出，请稍候</source>
        <translation>Exporting, please wait</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>公司名称</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>最大化</source>
        <translation>Maximize</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>记录超过一个工作表的行数，已分为%1个工作表，每表最多%2行</source>
        <translation>The records exceed one worksheet, so they were split into %1 worksheets of at most %2 rows each</translation>
    </message>
</context>
<context>
    <name>RecordDialog</name>
    <message>
        <source>充值记录</source>
        <translation>Recharging records</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>S/N</translation>
    </message>
    <message>
        <source>卡号</source>
        <translation>Card No.</translation>
    </message>
    <message>
        <source>姓名</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>地址</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>电话</source>
        <translation>Phone</translation>
    </message>
    <message>
        <source>车牌号</source>
        <translation>Car plate</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>管理员</source>
        <translation>Admin</translation>
    </message>
    <message>
        <source>充值金额</source>
        <translation>Recharging amount</translation>
    </message>
    <message>
        <source>充值前金额</source>
        <translation>Pre-balance</translation>
    </message>
    <message>
        <source>充值后金额</source>
        <translation>After-balance</translation>
    </message>
    <message>
        <source>发卡器序列号</source>
        <translation>S/N of card issuer</translation>
    </message>
    <message>
        <source>备注</source>
        <translation>Remarks</translation>
    </message>
    <message>
        <source>按姓名查找</source>
        <translation>Search by name</translation>
    </message>
    <message>
        <source>按电话查找</source>
        <translation>Search by phone number</translation>
    </message>
    <message>
        <source>按充值日期查找</source>
        <translation>Search by recharging date</translation>
    </message>
    <message>
        <source>至</source>
        <translation>to</translation>
    </message>
    <message>
        <source>更新全部记录</source>
        <translation>Update all records</translation>
    </message>
    <message>
        <source>导出Excel</source>
        <translation>Export to Excel</translation>
    </message>
    <message>
        <source>未查找到结果</source>
        <translation>No result</translation>
    </message>
    <message>
        <source>查询失败，无法读取数据库</source>
        <translation>Search failed: the database could not be read</translation>
    </message>
    <message>
        <source>无法读取记录，请检查数据库连接</source>
        <translation>Records could not be read. Please check the database connection</translation>
    </message>
    <message>
        <source>请输入查找的姓名</source>
        <translation>Please input a name to be searched</translation>
    </message>
    <message>
        <source>请输入查找的电话号码</source>
        <translation>Please input a phone number to be searched</translation>
    </message>
    <message>
        <source>选择目录</source>
        <translation>Choose a catalogue</translation>
    </message>
    <message>
        <source>导出成功</source>
        <translation>Exporting done</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>错误提示</source>
        <translation>Warning of error</translation>
    </message>
    <message>
        <source>导出失败，无法写入文件</source>
        <translation>Exporting failed: the file could not be written</translation>
    </message>
    <message>
        <source>正在导出，请稍候</source>
        <translation>Exporting, please wait</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>公司名称</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>最大化</source>
        <translation>Maximize</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>记录超过一个工作表的行数，已分为%1个工作表，每表最多%2行</source>
        <translation>The records exceed one worksheet, so they were split into %1 worksheets of at most %2 rows each</translation>
    </message>
</context>
<context>
    <name>BackCardDialog</name>
    <message>
        <source>退卡记录</source>
        <translation>Card refund records</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>S/N</translation>
    </message>
    <message>
        <source>卡号</source>
        <translation>Card No.</translation>
    </message>
    <message>
        <source>姓名</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>地址</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>电话</source>
        <translation>Phone</translation>
    </message>
    <message>
        <source>车牌号</source>
        <translation>Car plate</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>管理员</source>
        <translation>Admin</translation>
    </message>
    <message>
        <source>退卡金额</source>
        <translation>Refund balance</translation>
    </message>
    <message>
        <source>发卡器序列号</source>
        <translation>S/N of card Issuer</translation>
    </message>
    <message>
        <source>备注</source>
        <translation>Remarks</translation>
    </message>
    <message>
        <source>按姓名查找</source>
        <translation>Sear by name</translation>
    </message>
    <message>
        <source>按电话查找</source>
        <translation>Search by phone</translation>
    </message>
    <message>
        <source>按退卡日期查找</source>
        <translation>Search by card refund date</translation>
    </message>
    <message>
        <source>至</source>
        <translation>to</translation>
    </message>
    <message>
        <source>更新全部记录</source>
        <translation>Update all records</translation>
    </message>
    <message>
        <source>导出Excel</source>
        <translation>Export to excel</translation>
    </message>
    <message>
        <source>未查找到结果</source>
        <translation>No result</translation>
    </message>
    <message>
        <source>查询失败，无法读取数据库</source>
        <translation>Search failed: the database could not be read</translation>
    </message>
    <message>
        <source>无法读取记录，请检查数据库连接</source>
        <translation>Records could not be read. Please check the database connection</translation>
    </message>
    <message>
        <source>请输入查找的姓名</source>
        <translation>Input the name to be found</translation>
    </message>
    <message>
        <source>请输入查找的电话号码</source>
        <translation>Input the phone number to be found</translation>
    </message>
    <message>
        <source>选择目录</source>
        <translation>Choose a catalogue</translation>
    </message>
    <message>
        <source>导出成功</source>
        <translation>File exported</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>错误提示</source>
        <translation>Warning of error</translation>
    </message>
    <message>
        <source>导出失败，无法写入文件</source>
        <translation>Exporting failed: the file could not be written</translation>
    </message>
    <message>
        <source>正在导出，请稍候</source>
        <translation>Exporting, please wait</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>公司名称</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>最大化</source>
        <translation>Maximize</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>记录超过一个工作表的行数，已分为%1个工作表，每表最多%2行</source>
        <translation>The records exceed one worksheet, so they were split into %1 worksheets of at most %2 rows each</translation>
    </message>
</context>
<context>
    <name>DevChDialog</name>
    <message>
        <source>设备充值查询</source>
        <translation>Recharging amount search</translation>
    </message>
    <message>
        <source>充值金额</source>
        <translation>Recharging amount</translation>
    </message>
    <message>
        <source>设备序列号</source>
        <translation>S/N</translation>
    </message>
    <message>
        <source>充值版本号</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>管理员</source>
        <translation>Admin</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>导出Excel</source>
        <translation>Export to Excel</translation>
    </message>
    <message>
        <source>公司名称</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>最大化</source>
        <translation>Maximize</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>ManagerDialog</name>
    <message>
        <source>管理员设置</source>
        <translation>Admin settings</translation>
    </message>
    <message>
        <source>密码</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>输入密码：</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>管理员</source>
        <translation>Admin</translation>
    </message>
    <message>
        <source>姓名</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>姓名：</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>密码：</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Change</translation>
    </message>
    <message>
        <source>增加管理员</source>
        <translation>Add an admin</translation>
    </message>
    <message>
        <source>修改管理员</source>
        <translation>Change an admin</translation>
    </message>
    <message>
        <source>删除管理员</source>
        <translation>Delete an admin</translation>
    </message>
    <message>
        <source>公司名称</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>无权限</source>
        <translation>Unauthrized</translation>
    </message>
    <message>
        <source>密码错误</source>
        <translation>Password error</translation>
    </message>
    <message>
        <source>请输入名字</source>
        <translation>Please input your name</translation>
    </message>
    <message>
        <source>此用户已存在</source>
        <translation>User already existed</translation>
    </message>
    <message>
        <source>插入数据失败</source>
        <translation>Writing data failed</translation>
    </message>
    <message>
        <source>此用户未存在</source>
        <translation>User not existed</translation>
    </message>
    <message>
        <source>更新数据成功</source>
        <translation>Updating data success</translation>
    </message>
    <message>
        <source>更新数据错误</source>
        <translation>Updating data error</translation>
    </message>
    <message>
        <source>表格数据错误</source>
        <translation>Data error</translation>
    </message>
    <message>
        <source>未选择数据</source>
        <translation>Data unchosen</translation>
    </message>
    <message>
        <source>第一用户无法删除</source>
        <translation>The first user can't be deleted</translation>
    </message>
    <message>
        <source>选择错误</source>
        <translation>Wrong selection</translation>
    </message>
    <message>
        <source>删除用户成功</source>
        <translation>User deleted</translation>
    </message>
    <message>
        <source>删除用户失败</source>
        <translation>User deleting failed</translation>
    </message>
    <message>
        <source>错误提示</source>
        <translation>Warning of error</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>最大化</source>
        <translation>Maximize</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>ServerDialog</name>
    <message>
        <source>数据库服务器</source>
        <translation>Database server</translation>
    </message>
    <message>
        <source>本机数据库 (database.db)</source>
        <translation>Local database (database.db)</translation>
    </message>
    <message>
        <source>PostgreSQL 服务器</source>
        <translation>PostgreSQL server</translation>
    </message>
    <message>
        <source>服务器</source>
        <translation>Server</translation>
    </message>
    <message>
        <source>主机：</source>
        <translation>Host</translation>
    </message>
    <message>
        <source>端口：</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>数据库：</source>
        <translation>Database</translation>
    </message>
    <message>
        <source>用户：</source>
        <translation>User</translation>
    </message>
    <message>
        <source>密码文件：</source>
        <translation>Password file</translation>
    </message>
    <message>
        <source>密码不保存在这里：请写入密码文件（留空则用 ~/.pgpass）。保存后重新启动程序生效。</source>
        <translation>The password is not kept here: put it into the password file (empty: ~/.pgpass). Saved settings take effect when the program is restarted.</translation>
    </message>
    <message>
        <source>测试连接</source>
        <translation>Test connection</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>公司名称</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>正在连接...</source>
        <translation>Connecting...</translation>
    </message>
    <message>
        <source>连接成功</source>
        <translation>Connected</translation>
    </message>
    <message>
        <source>已连接，但服务器上缺少账本表：%1</source>
        <translation>Connected, but the server lacks the ledger tables: %1</translation>
    </message>
    <message>
        <source>无法连接：%1</source>
        <translation>Cannot connect: %1</translation>
    </message>
    <message>
        <source>请填写数据库和用户</source>
        <translation>Please fill in the database and the user</translation>
    </message>
    <message>
        <source>保存失败</source>
        <translation>Saving failed</translation>
    </message>
    <message>
        <source>已保存，重新启动程序后生效</source>
        <translation>Saved; takes effect when the program is restarted</translation>
    </message>
    <message>
        <source>错误提示</source>
        <translation>Warning of error</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
</context>
<context>
    <name>TotalsDialog</name>
    <message>
        <source>班次统计</source>
        <translation>Shift totals</translation>
    </message>
    <message>
        <source>本班次（登录以来）</source>
        <translation>This shift (since login)</translation>
    </message>
    <message>
        <source>今天</source>
        <translation>Today</translation>
    </message>
    <message>
        <source>日期范围</source>
        <translation>Date range</translation>
    </message>
    <message>
        <source>至</source>
        <translation>to</translation>
    </message>
    <message>
        <source>操作员：</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>统计</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>导出Excel</source>
        <translation>Export Excel</translation>
    </message>
    <message>
        <source>保存PDF</source>
        <translation>Save PDF</translation>
    </message>
    <message>
        <source>打印</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>公司名称</source>
        <translation>Company name</translation>
    </message>
    <message>
        <source>日期</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>操作员</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>充值笔数</source>
        <translation>Recharges</translation>
    </message>
    <message>
        <source>充值金额</source>
        <translation>Recharged</translation>
    </message>
    <message>
        <source>退卡笔数</source>
        <translation>Returns</translation>
    </message>
    <message>
        <source>退卡金额</source>
        <translation>Refunded</translation>
    </message>
    <message>
        <source>开卡数</source>
        <translation>Cards issued</translation>
    </message>
    <message>
        <source>发卡器充值笔数</source>
        <translation>Reader top-ups</translation>
    </message>
    <message>
        <source>发卡器充值金额</source>
        <translation>Reader topped up</translation>
    </message>
    <message>
        <source>应交现金</source>
        <translation>Cash to hand over</translation>
    </message>
    <message>
        <source>全部操作员</source>
        <translation>All operators</translation>
    </message>
    <message>
        <source>错误提示</source>
        <translation>Warning of error</translation>
    </message>
    <message>
        <source>读取数据库失败</source>
        <translation>Reading the database failed</translation>
    </message>
    <message>
        <source>合计</source>
        <translation>Total</translation>
    </message>
    <message>
        <source>%1 至 %2，应交现金 %3 元</source>
        <translation>%1 to %2, cash to hand over %3 yuan</translation>
    </message>
    <message>
        <source>%1 条记录的金额无法识别，未计入合计</source>
        <translation>%1 rows have an unreadable amount and are left out of the sums</translation>
    </message>
    <message>
        <source>元</source>
        <translation>yuan</translation>
    </message>
    <message>
        <source> 至 </source>
        <translation> to </translation>
    </message>
    <message>
        <source>班次报表</source>
        <translation>Shift report</translation>
    </message>
    <message>
        <source>公司</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>发卡器序列号</source>
        <translation>Reader serial</translation>
    </message>
    <message>
        <source>统计时段</source>
        <translation>Period</translation>
    </message>
    <message>
        <source>打印时间</source>
        <translation>Printed</translation>
    </message>
    <message>
        <source>交班人签字：</source>
        <translation>Handed over by: </translation>
    </message>
    <message>
        <source>接班人签字：</source>
        <translation>Taken over by: </translation>
    </message>
</context>
<context>
    <name>CardStatementDialog</name>
    <message>
        <source>卡片流水</source>
        <translation>Card statement</translation>
    </message>
    <message>
        <source>卡号：</source>
        <translation>Card number</translation>
    </message>
    <message>
        <source>查询</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>读卡</source>
        <translation>Read card</translation>
    </message>
    <message>
        <source>导出Excel</source>
        <translation>Export Excel</translation>
    </message>
    <message>
        <source>保存PDF</source>
        <translation>Save PDF</translation>
    </message>
    <message>
        <source>打印</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>公司名称</source>
        <translation>Company name</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>金额</source>
        <translation>Amount</translation>
    </message>
    <message>
        <source>操作前余额</source>
        <translation>Balance before</translation>
    </message>
    <message>
        <source>操作后余额</source>
        <translation>Balance after</translation>
    </message>
    <message>
        <source>操作员</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>发卡器序列号</source>
        <translation>Reader serial</translation>
    </message>
    <message>
        <source>余额断档</source>
        <translation>Gap</translation>
    </message>
    <message>
        <source>错误提示</source>
        <translation>Warning of error</translation>
    </message>
    <message>
        <source>请输入正确的卡号</source>
        <translation>Enter a valid card number</translation>
    </message>
    <message>
        <source>读卡失败</source>
        <translation>Reading card failed</translation>
    </message>
    <message>
        <source>读取数据库失败</source>
        <translation>Reading the database failed</translation>
    </message>
    <message>
        <source>持卡人：%1  电话：%2  地址：%3  车牌号：%4</source>
        <translation>Holder: %1  Phone: %2  Address: %3  Plate: %4</translation>
    </message>
    <message>
        <source>绑定：充电座%1 端口%2</source>
        <translation>Bound: post %1 port %2</translation>
    </message>
    <message>
        <source>未绑定</source>
        <translation>Not bound</translation>
    </message>
    <message>
        <source>数据库中没有此卡的开卡记录</source>
        <translation>The database holds no issue of this card</translation>
    </message>
    <message>
        <source>卡号：%1</source>
        <translation>Card number: %1</translation>
    </message>
    <message>
        <source>开卡</source>
        <translation>Issue</translation>
    </message>
    <message>
        <source>充值</source>
        <translation>Recharge</translation>
    </message>
    <message>
        <source>退卡</source>
        <translation>Return</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>共 %1 条记录，余额断档 %2 处</source>
        <translation>%1 rows, %2 balance gaps</translation>
    </message>
    <message>
        <source>卡内余额 %1 元，与最后一条记录的 %2 元不符</source>
        <translation>The card holds %1 yuan, the last row says %2 yuan</translation>
    </message>
    <message>
        <source>卡内余额 %1 元</source>
        <translation>The card holds %1 yuan</translation>
    </message>
    <message>
        <source>公司</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>卡号</source>
        <translation>Card number</translation>
    </message>
    <message>
        <source>持卡人</source>
        <translation>Holder</translation>
    </message>
    <message>
        <source>打印时间</source>
        <translation>Printed</translation>
    </message>
    <message>
        <source>卡片流水_%1.xlsx</source>
        <translation>card-statement_%1.xlsx</translation>
    </message>
    <message>
        <source>卡片流水_%1.pdf</source>
        <translation>card-statement_%1.pdf</translation>
    </message>
    <message>
        <source>解除绑定</source>
        <translation>Unbound</translation>
    </message>
</context>
<context>
    <name>DeskOutput</name>
    <message>
        <source>导出Excel</source>
        <translation>Export Excel</translation>
    </message>
    <message>
        <source>Excel 文件 (*.xlsx)</source>
        <translation>Excel files (*.xlsx)</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>导出成功</source>
        <translation>Export succeeded</translation>
    </message>
    <message>
        <source>错误提示</source>
        <translation>Warning of error</translation>
    </message>
    <message>
        <source>导出失败，无法写入文件</source>
        <translation>Export failed: the file cannot be written</translation>
    </message>
    <message>
        <source>保存PDF</source>
        <translation>Save PDF</translation>
    </message>
    <message>
        <source>PDF 文件 (*.pdf)</source>
        <translation>PDF files (*.pdf)</translation>
    </message>
    <message>
        <source>已保存：%1</source>
        <translation>Saved: %1</translation>
    </message>
    <message>
        <source>保存失败，无法写入文件</source>
        <translation>Saving failed: the file cannot be written</translation>
    </message>
    <message>
        <source>退卡收据</source>
        <translation>Return receipt</translation>
    </message>
    <message>
        <source>充值收据</source>
        <translation>Recharge receipt</translation>
    </message>
    <message>
        <source>公司</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>发卡器序列号</source>
        <translation>Reader serial</translation>
    </message>
    <message>
        <source>卡号</source>
        <translation>Card number</translation>
    </message>
    <message>
        <source>退卡金额</source>
        <translation>Refunded</translation>
    </message>
    <message>
        <source>充值金额</source>
        <translation>Recharged</translation>
    </message>
    <message>
        <source>元</source>
        <translation> yuan</translation>
    </message>
    <message>
        <source>操作前余额</source>
        <translation>Balance before</translation>
    </message>
    <message>
        <source>操作后余额</source>
        <translation>Balance after</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>操作员</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>打印失败，无法写入打印机</source>
        <translation>Printing failed: the printer could not be written</translation>
    </message>
</context>
<context>
    <name>StationCommand</name>
    <message>
        <source>用法：Veloka --import 文件 | --export-snapshot 文件</source>
        <translation>usage: Veloka --import FILE | --export-snapshot FILE</translation>
    </message>
    <message>
        <source>不能把数据库导入它自己：%1</source>
        <translation>Cannot import the database into itself: %1</translation>
    </message>
    <message>
        <source>无法打开账本数据库：%1</source>
        <translation>Cannot open the ledger database: %1</translation>
    </message>
    <message>
        <source>打开数据库失败：%1</source>
        <translation>Failed to open the database: %1</translation>
    </message>
    <message>
        <source>导入失败：已新增%1条，跳过%2条</source>
        <translation>Import failed: %1 rows added, %2 skipped</translation>
    </message>
    <message>
        <source>导入数据库成功：新增%1条，跳过%2条（其中卡号无效%3条，金额无效%4条）</source>
        <translation>Database imported: %1 rows added, %2 skipped (%3 with an invalid card number, %4 with an invalid amount)</translation>
    </message>
    <message>
        <source>备份数据库成功：%1</source>
        <translation>Database backed up: %1</translation>
    </message>
    <message>
        <source>不能备份到数据库文件本身：%1</source>
        <translation>Cannot back up onto the database file itself: %1</translation>
    </message>
    <message>
        <source>备份数据库失败：%1</source>
        <translation>Database backup failed: %1</translation>
    </message>
</context>
<context>
    <name>AuditDialog</name>
    <message>
        <source>操作日志</source>
        <translation>Audit trail</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>管理员</source>
        <translation>Admin</translation>
    </message>
    <message>
        <source>发卡器序列号</source>
        <translation>Reader serial</translation>
    </message>
    <message>
        <source>操作</source>
        <translation>Action</translation>
    </message>
    <message>
        <source>对象</source>
        <translation>Card or account</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Outcome</translation>
    </message>
    <message>
        <source>登录</source>
        <translation>Login</translation>
    </message>
    <message>
        <source>登录锁定</source>
        <translation>Login locked</translation>
    </message>
    <message>
        <source>退出登录</source>
        <translation>Logout</translation>
    </message>
    <message>
        <source>添加管理员</source>
        <translation>Administrator added</translation>
    </message>
    <message>
        <source>修改管理员</source>
        <translation>Administrator changed</translation>
    </message>
    <message>
        <source>删除管理员</source>
        <translation>Administrator deleted</translation>
    </message>
    <message>
        <source>开卡</source>
        <translation>Card issued</translation>
    </message>
    <message>
        <source>充值</source>
        <translation>Card recharged</translation>
    </message>
    <message>
        <source>退卡</source>
        <translation>Card returned</translation>
    </message>
    <message>
        <source>绑卡</source>
        <translation>Card bound</translation>
    </message>
    <message>
        <source>设置卡</source>
        <translation>Setting card</translation>
    </message>
    <message>
        <source>参数卡</source>
        <translation>Parameter card</translation>
    </message>
    <message>
        <source>费率卡</source>
        <translation>Tariff card</translation>
    </message>
    <message>
        <source>黑名单卡</source>
        <translation>Blacklist card</translation>
    </message>
    <message>
        <source>发卡器充值</source>
        <translation>Reader top-up</translation>
    </message>
    <message>
        <source>固件升级</source>
        <translation>Firmware upgrade</translation>
    </message>
    <message>
        <source>备份数据库</source>
        <translation>Database backup</translation>
    </message>
    <message>
        <source>导入数据库</source>
        <translation>Database import</translation>
    </message>
    <message>
        <source>修改配置</source>
        <translation>Configuration change</translation>
    </message>
    <message>
        <source>成功</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>用户名错误</source>
        <translation>Wrong user name</translation>
    </message>
    <message>
        <source>密码错误</source>
        <translation>Wrong password</translation>
    </message>
    <message>
        <source>已锁定</source>
        <translation>Locked</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>All</translation>
    </message>
    <message>
        <source>共 %1 条</source>
        <translation>%1 rows</translation>
    </message>
    <message>
        <source>选择目录</source>
        <translation>Choose a folder</translation>
    </message>
    <message>
        <source>操作日志.xlsx</source>
        <translation>audit.xlsx</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>导出成功</source>
        <translation>Exported</translation>
    </message>
    <message>
        <source>错误提示</source>
        <translation>Warning of error</translation>
    </message>
    <message>
        <source>导出失败，无法写入文件</source>
        <translation>Export failed: the file cannot be written</translation>
    </message>
    <message>
        <source>从：</source>
        <translation>From:</translation>
    </message>
    <message>
        <source>到：</source>
        <translation>To:</translation>
    </message>
    <message>
        <source>管理员：</source>
        <translation>Admin:</translation>
    </message>
    <message>
        <source>操作：</source>
        <translation>Action:</translation>
    </message>
    <message>
        <source>查询</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>导出Excel</source>
        <translation>Export to Excel</translation>
    </message>
    <message>
        <source>公司名称</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>failed</translation>
    </message>
    <message>
        <source>锁定至</source>
        <translation>locked until</translation>
    </message>
</context>
</TS>
