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
</context>
</TS>
